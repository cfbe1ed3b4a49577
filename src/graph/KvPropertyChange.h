#pragma once
// The setters of the graph objects do nothing when the value is unchanged
// and otherwise store it and mark what must be redone.

namespace kv {

// Stores Value in Field; true when that changed the field.
template <class T>
bool Change(T& Field, const T& Value)
{
    if (Field == Value)
        return false;
    Field = Value;
    return true;
}

} // namespace kv
