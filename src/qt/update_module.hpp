#pragma once

#include "platform/dispatch.hpp"
#include "settings/update_feed.hpp"

namespace zerlith::qt {

/// The update feed reader's module: its one entry point makes a reader, which the caller owns.
/// `dispatch` outlives it.
using MakeUpdateFeed = UpdateFeed*(platform::Dispatch& dispatch);
inline constexpr const char* kMakeUpdateFeedSymbol = "zerlith_make_update_feed";

}  // namespace zerlith::qt
