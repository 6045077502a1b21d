// The update feed reader's module: the switcher opens it at its first check for updates, and
// finds this function by name.
#include "qt/update_feed_reader.hpp"
#include "qt/update_module.hpp"

extern "C" Q_DECL_EXPORT zerlith::UpdateFeed* zerlith_make_update_feed(zerlith::platform::Dispatch& dispatch) {
    return new zerlith::qt::UpdateFeedReader(dispatch);
}
static_assert(std::is_same_v<decltype(zerlith_make_update_feed), zerlith::qt::MakeUpdateFeed>);
