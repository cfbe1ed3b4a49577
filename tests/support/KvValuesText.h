#pragma once
// Column values as a short text for comparisons: "1 2.5 - 3", a missing
// value as "-", every number in its shortest exact form.

#include "foundation/KvMissing.h"

#include <charconv>
#include <span>
#include <string>

namespace kv::test {

inline std::string ValuesText(std::span<const double> Values)
{
    std::string Text;
    for (double X : Values) {
        if (!Text.empty())
            Text += ' ';
        if (IsMissing(X)) {
            Text += '-';
            continue;
        }
        char Buffer[32];
        Text.append(Buffer, std::to_chars(Buffer, Buffer + sizeof Buffer, X).ptr);
    }
    return Text;
}

} // namespace kv::test
