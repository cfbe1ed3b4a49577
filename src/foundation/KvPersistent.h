#pragma once
// Base of the objects that can be assigned from one another.

namespace kv {

class TKvPersistent {
public:
    virtual ~TKvPersistent() = default;
    virtual void Assign(const TKvPersistent& Source) = 0;
};

} // namespace kv
