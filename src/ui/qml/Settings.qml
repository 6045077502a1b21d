import QtQuick

// The settings window: the header with the setup status, then the sections Permissions (Browser
// tabs where tabs come through Zerlith's extension), Shortcuts, Startup and Updates. Shows the settings' state; every button and switch hands its
// action to the settings object, which decides.
Rectangle {
    id: root
    required property var settings

    width: 520; height: 640
    color: look.background

    SystemPalette { id: system }

    QtObject {
        id: look
        readonly property bool dark: root.settings.dark
        readonly property color accent: dark ? Qt.rgba(0.51, 0.49, 0.96, 1) : Qt.rgba(0.35, 0.33, 0.85, 1)
        readonly property color background: system.window
        readonly property color text: system.windowText
        readonly property color secondary: Qt.rgba(text.r, text.g, text.b, 0.62)
        readonly property color tertiary: Qt.rgba(text.r, text.g, text.b, 0.42)
        readonly property color quaternary: Qt.rgba(text.r, text.g, text.b, 0.2)
        readonly property color box: Qt.rgba(text.r, text.g, text.b, 0.2 * 0.35)
        readonly property color green: dark ? "#32d74b" : "#28a745"
        readonly property color orange: dark ? "#ff9f0a" : "#e8890c"
        readonly property color red: dark ? "#ff453a" : "#d70015"
        readonly property real titleSize: 19
        readonly property real sectionSize: 10.5
        readonly property real bodySize: 12.5
        readonly property real captionSize: 11
        readonly property real keyCapSize: 12
    }

    Flickable {
        id: scroller
        objectName: "scroller"
        anchors.fill: parent
        contentWidth: width
        contentHeight: content.height + 52
        boundsBehavior: Flickable.StopAtBounds
        clip: true

        Column {
            id: content
            x: 26; y: 26
            width: scroller.width - 52
            spacing: 24

            // Header: the application's icon, its name and whether setup is complete.
            Row {
                spacing: 13
                bottomPadding: 2
                Rectangle {
                    objectName: "appIcon"
                    width: 46; height: 46; radius: 11
                    anchors.verticalCenter: parent.verticalCenter
                    gradient: Gradient {
                        GradientStop { position: 0; color: Qt.lighter(look.accent, 1.25) }
                        GradientStop { position: 1; color: look.accent }
                    }
                    Symbol { anchors.centerIn: parent; name: "tray-icon"; size: 26; tint: "white" }
                }
                Column {
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 3
                    Text {
                        objectName: "windowTitle"
                        textFormat: Text.PlainText
                        text: "Zerlith"
                        font.pixelSize: look.titleSize; font.weight: Font.DemiBold
                        color: look.text
                    }
                    Row {
                        spacing: 5
                        StatusSymbol {
                            anchors.verticalCenter: parent.verticalCenter
                            kind: root.settings.ready ? "checkmark.circle.fill" : "exclamationmark.circle.fill"
                            tint: root.settings.ready ? look.green : look.orange
                            size: 11
                        }
                        Text {
                            objectName: "statusText"
                            textFormat: Text.PlainText
                            text: root.settings.statusText
                            font.pixelSize: look.captionSize
                            color: look.secondary
                        }
                    }
                }
            }

            SettingsSection {
                objectName: "permissionsSection"
                title: root.settings.browsersTitle; theme: look
                PermissionRow {
                    objectName: "accessibilityRow"
                    visible: root.settings.systemPermissions
                    width: parent.width; theme: look
                    title: "Accessibility"
                    detail: "Raise and move windows."
                    granted: root.settings.accessibility
                    actionTitle: "Open Settings"
                    onAction: root.settings.openAccessibilitySettings()
                }
                PermissionRow {
                    objectName: "screenRecordingRow"
                    visible: root.settings.systemPermissions
                    width: parent.width; theme: look
                    title: "Screen Recording"
                    detail: "Read window titles only — nothing is ever captured. Without it, no windows can be listed."
                    granted: root.settings.screenRecording
                    actionTitle: "Open Settings"
                    onAction: root.settings.openScreenRecordingSettings()
                }
                Repeater {
                    model: root.settings.browsers
                    PermissionRow {
                        required property var modelData
                        objectName: "browserRow_" + modelData.browser
                        width: parent.width; theme: look
                        title: modelData.title
                        detail: modelData.detail
                        granted: modelData.granted
                        actionTitle: modelData.actionTitle
                        linkTitle: modelData.linkTitle
                        onAction: root.settings.browserAction(modelData.browser)
                        onLink: root.settings.browserLink(modelData.kind)
                    }
                }
                Text {
                    objectName: "noBrowsersText"
                    textFormat: Text.PlainText
                    visible: root.settings.browsers.length === 0
                    width: parent.width
                    wrapMode: Text.Wrap
                    text: root.settings.noBrowsersText
                    font.pixelSize: look.captionSize
                    color: look.secondary
                }
                Text {
                    objectName: "hostInstallation"
                    textFormat: Text.PlainText
                    visible: root.settings.hostInstallation !== ""
                    width: parent.width
                    wrapMode: Text.Wrap
                    text: root.settings.hostInstallation
                    font.pixelSize: look.captionSize
                    color: look.secondary
                }
            }

            SettingsSection {
                objectName: "shortcutsSection"
                title: "Shortcuts"; theme: look
                SettingsSwitch {
                    objectName: "keysConsentSwitch"
                    width: parent.width; theme: look
                    visible: root.settings.keysNeedConsent
                    label: "Bind the shortcuts in sway"
                    checked: root.settings.keysConsented
                    onToggled: (on) => root.settings.setKeysConsented(on)
                }
                Text {
                    objectName: "desktopNotice"
                    textFormat: Text.PlainText
                    visible: root.settings.desktopNotice !== ""
                    width: parent.width
                    wrapMode: Text.Wrap
                    text: root.settings.desktopNotice
                    font.pixelSize: look.captionSize
                    color: look.secondary
                }
                ShortcutRow {
                    objectName: "paletteShortcutRow"
                    width: parent.width; theme: look
                    visible: root.settings.takesGlobalKeys
                    title: "Open switcher"
                    shortcut: root.settings.paletteShortcut
                    recording: root.settings.recording === "palette"
                    onPressed: root.settings.toggleRecording("palette")
                }
                ShortcutRow {
                    objectName: "instantShortcutRow"
                    width: parent.width; theme: look
                    visible: root.settings.takesGlobalKeys
                    title: "Instant switch"
                    detail: "Jump to the most likely target with no palette."
                    shortcut: root.settings.instantShortcut
                    recording: root.settings.recording === "instant"
                    onPressed: root.settings.toggleRecording("instant")
                }
                Text {
                    objectName: "shortcutError"
                    textFormat: Text.PlainText
                    visible: root.settings.shortcutError !== ""
                    width: parent.width
                    wrapMode: Text.Wrap
                    text: root.settings.shortcutError
                    font.pixelSize: look.captionSize
                    color: look.red
                }
            }

            SettingsSection {
                objectName: "startupSection"
                title: "Startup"; theme: look
                SettingsSwitch {
                    objectName: "launchAtLoginSwitch"
                    width: parent.width; theme: look
                    label: "Launch at login"
                    checked: root.settings.launchAtLogin
                    onToggled: (on) => root.settings.setLaunchAtLogin(on)
                }
                Text {
                    objectName: "loginItemError"
                    textFormat: Text.PlainText
                    visible: root.settings.loginItemError !== ""
                    width: parent.width
                    wrapMode: Text.Wrap
                    text: root.settings.loginItemError
                    font.pixelSize: look.captionSize
                    color: look.red
                }
                SettingsButton {
                    objectName: "approveLoginItemButton"
                    visible: root.settings.loginItemNeedsApproval
                    theme: look
                    title: "Approve in Login Items…"
                }
            }

            SettingsSection {
                objectName: "updatesSection"
                title: "Updates"; theme: look
                SettingsSwitch {
                    objectName: "automaticUpdatesSwitch"
                    width: parent.width; theme: look
                    label: "Check for updates automatically"
                    checked: root.settings.automaticUpdates
                    onToggled: (on) => root.settings.setAutomaticUpdates(on)
                }
                Item {
                    width: parent.width
                    height: checkNow.height
                    Text {
                        objectName: "versionText"
                        textFormat: Text.PlainText
                        anchors.verticalCenter: parent.verticalCenter
                        text: "Version " + root.settings.version
                        font.pixelSize: look.captionSize
                        color: look.secondary
                    }
                    SettingsButton {
                        id: checkNow
                        objectName: "checkNowButton"
                        anchors.right: parent.right
                        theme: look
                        title: "Check Now"
                        enabled: !root.settings.checking
                        onClicked: root.settings.checkNow()
                    }
                }
                Item {
                    visible: root.settings.updateStatus !== ""
                    width: parent.width
                    height: Math.max(updateStatus.height, openLink.visible ? openLink.height : 0)
                    Text {
                        id: updateStatus
                        objectName: "updateStatus"
                        textFormat: Text.PlainText
                        anchors.left: parent.left
                        anchors.right: openLink.visible ? openLink.left : parent.right
                        anchors.rightMargin: 8
                        anchors.verticalCenter: parent.verticalCenter
                        wrapMode: Text.Wrap
                        text: root.settings.updateStatus
                        font.pixelSize: look.captionSize
                        color: look.secondary
                    }
                    SettingsButton {
                        id: openLink
                        objectName: "openUpdateLinkButton"
                        anchors.right: parent.right
                        anchors.verticalCenter: parent.verticalCenter
                        visible: root.settings.updateLink !== ""
                        theme: look
                        title: "Open Release Page"
                        onClicked: root.settings.openUpdateLink()
                    }
                }
            }
        }
    }

    // The scroll indicator, shown when the content is taller than the window.
    Rectangle {
        objectName: "scrollIndicator"
        visible: scroller.visibleArea.heightRatio < 1
        anchors.right: parent.right; anchors.rightMargin: 2
        y: scroller.visibleArea.yPosition * scroller.height
        width: 4; radius: 2
        height: scroller.visibleArea.heightRatio * scroller.height
        color: look.tertiary
    }
}
