#pragma once

#include "desktop/access.hpp"
#include "desktop/tabs.hpp"
#include "model/target.hpp"

/// The grants the switcher depends on and the browsers' consent to have their tabs read, with
/// the answers of a desktop that asks for nothing: there every grant is given, and a browser's
/// tabs are allowed once its extension connects. Read afresh on every call; any thread.
namespace zerlith::Permissions {

bool granted(desktop::Grant grant);
/// Whether the grant is given; when not, the desktop asks the user for it.
bool grantedOrAsk(desktop::Grant grant);
/// Shows the desktop's request for the grant; nothing where it grants everything.
void ask(desktop::Grant grant);
/// Opens the desktop's settings for the grant; nothing where there are none.
void openSettings(desktop::Grant grant);

/// Through an extension a browser is allowed once connected and not yet determined before;
/// through the desktop's own tab reading, the desktop's answer; elsewhere denied.
desktop::TabConsent tabConsent(BrowserKind browser);
/// Opens the desktop's settings for reading tabs; nothing where there are none.
void openTabConsentSettings();

}  // namespace zerlith::Permissions
