#pragma once

#include <string_view>

/// Where the time goes from a request for the palette (a hot-key press, `zerlith --palette`) to
/// the palette focused and drawn: with ZERLITH_TRACE_LATENCY set, each stage prints one line on
/// standard error, "zerlith: latency    3.21 ms  ranked", counted from the request. Costs nothing
/// otherwise. Any thread.
namespace zerlith::platform::latency {

/// A request arrived: the stages after it count from now.
void start(std::string_view what);
/// A stage of the request's way is done.
void mark(std::string_view stage);

}  // namespace zerlith::platform::latency
