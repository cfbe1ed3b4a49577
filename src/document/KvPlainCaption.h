#pragma once
// The visible characters of a caption written in the caption markup: the
// escapes are removed, "\\" stands for one backslash. Used wherever a caption
// goes into plain text (window titles, menus, text export).

#include <string>
#include <string_view>

namespace kv {

std::string PlainCaption(std::string_view Caption);

} // namespace kv
