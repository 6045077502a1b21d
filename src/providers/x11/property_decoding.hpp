#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <xcb/xcb.h>

#include "platform/workspace.hpp"
#include "providers/xdg/desktop_entries.hpp"

namespace zerlith::x11 {

/// Checked readers of GetProperty replies. Other clients write these properties, so a reply may
/// be missing (the window vanished), of an unexpected type or format, short or empty: every
/// reader then gives none rather than guessing.

/// The 32-bit items of a property whose type is `type`.
std::optional<std::vector<std::uint32_t>> cardinals(const xcb_get_property_reply_t* reply, xcb_atom_t type);

/// The first 32-bit item; none also when the property holds no item.
std::optional<std::uint32_t> firstCardinal(const xcb_get_property_reply_t* reply, xcb_atom_t type);

/// A text property of 8-bit format: STRING is decoded as ISO 8859-1, the type `compoundText`
/// (the COMPOUND_TEXT atom) as ISO 2022 compound text, every other type (UTF8_STRING above all)
/// as UTF-8 with invalid bytes replaced. Always valid UTF-8. A value cut short by the request's
/// length limit (bytes remain after it) drops the character it cut.
std::optional<std::string> text(const xcb_get_property_reply_t* reply, xcb_atom_t compoundText);

using xdg::WindowClass;

/// WM_CLASS as two NUL-separated strings (a missing second one is empty); none when both are
/// empty or the property is not 8-bit text.
std::optional<WindowClass> windowClass(const xcb_get_property_reply_t* reply);

/// The image of _NET_WM_ICON (width, height, then width × height ARGB pixels, for each size)
/// closest to `preferredSize`: the smallest at least that large, else the largest. None when no
/// complete image is there; an image whose size runs past the data ends the list.
std::optional<platform::WindowIcon> windowIcon(const xcb_get_property_reply_t* reply, int preferredSize);

}  // namespace zerlith::x11
