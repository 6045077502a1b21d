import QtQuick

// The palette: search field, the matching windows and tabs, and a footer of key hints. Shows the
// palette's state and writes back only the typed text and clicks; the keys that switch are
// handled before they reach the search field.
Rectangle {
    id: root
    required property var switcher
    required property var results
    required property bool roundedByCompositor

    width: 720; height: 460
    radius: roundedByCompositor ? 14 : 0
    color: look.background
    border.width: 1
    border.color: Qt.rgba(1, 1, 1, 0.12)

    SystemPalette { id: system }

    QtObject {
        id: look
        readonly property bool dark: root.switcher.dark
        readonly property color accent: dark ? Qt.rgba(0.51, 0.49, 0.96, 1) : Qt.rgba(0.35, 0.33, 0.85, 1)
        readonly property color background: system.window
        readonly property color text: system.windowText
        readonly property color secondary: Qt.rgba(text.r, text.g, text.b, 0.62)
        readonly property color tertiary: Qt.rgba(text.r, text.g, text.b, 0.42)
        readonly property color quaternary: Qt.rgba(text.r, text.g, text.b, 0.2)
        readonly property color secondaryLabel: Qt.rgba(text.r, text.g, text.b, 0.6)
        readonly property int querySize: 21
        readonly property int rowTitleSize: 14
        readonly property int rowSubtitleSize: 11
        readonly property int badgeSize: 10
        readonly property int footerSize: 11
        readonly property int bodySize: 13
    }

    Column {
        anchors.fill: parent
        anchors.margins: 1

        // Search bar.
        Item {
            width: parent.width; height: 58
            Symbol {
                id: searchSymbol
                x: 16
                anchors.verticalCenter: parent.verticalCenter
                name: "magnifyingglass"; size: 15; tint: look.tertiary
            }
            TextInput {
                id: queryField
                objectName: "queryField"
                anchors.left: searchSymbol.right; anchors.leftMargin: 11
                anchors.right: parent.right; anchors.rightMargin: 16
                anchors.verticalCenter: parent.verticalCenter
                font.pixelSize: look.querySize
                color: look.text
                selectionColor: look.accent
                clip: true
                focus: true
                onTextEdited: root.switcher.query = text
                Connections {
                    target: root.switcher
                    function onQueryChanged() {
                        if (queryField.text !== root.switcher.query) queryField.text = root.switcher.query
                    }
                }
                Text {
                    textFormat: Text.PlainText
                    anchors.fill: parent
                    text: "Switch to…"
                    font: queryField.font
                    color: look.tertiary
                    visible: queryField.text === ""
                }
            }
        }

        Rectangle { width: parent.width; height: 1; color: look.quaternary; opacity: 0.5 }

        // The results, or what to say when there are none.
        Item {
            width: parent.width
            height: parent.height - 58 - 28 - 2

            Column {
                objectName: "emptyState"
                anchors.centerIn: parent
                spacing: 5
                visible: root.switcher.resultCount === 0
                Symbol {
                    anchors.horizontalCenter: parent.horizontalCenter
                    name: root.switcher.query === "" ? "squares-dashed" : "magnifyingglass"
                    size: 22; tint: look.quaternary
                }
                Text {
                    objectName: "emptyText"
                    textFormat: Text.PlainText
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: root.switcher.query === "" ? "Nothing open to switch to" : "No matches"
                    font.pixelSize: look.bodySize
                    color: look.secondary
                }
            }

            ListView {
                id: list
                objectName: "resultList"
                anchors.fill: parent
                visible: root.switcher.resultCount > 0
                clip: true
                model: root.results
                spacing: 1
                topMargin: 6; bottomMargin: 6
                boundsBehavior: Flickable.StopAtBounds
                currentIndex: root.switcher.selection
                highlightFollowsCurrentItem: false
                reuseItems: true
                cacheBuffer: 0
                delegate: PaletteRow {
                    x: 7
                    width: list.width - 14
                    theme: look
                    switcher: root.switcher
                }

                // Keeps the selected row in the middle, scrolling briefly to it.
                NumberAnimation { id: scroll; target: list; property: "contentY"; duration: 80; easing.type: Easing.OutQuad }
                Connections {
                    target: root.switcher
                    function onSelectionChanged() {
                        const row = root.switcher.selection
                        if (row < 0 || row >= list.count) return
                        const rowHeight = 46 + list.spacing
                        const centred = row * rowHeight + 23 - list.height / 2 - list.topMargin
                        const top = -list.topMargin
                        const bottom = Math.max(top, list.contentHeight + list.bottomMargin - list.height)
                        scroll.stop()
                        scroll.to = Math.max(top, Math.min(bottom, centred))
                        scroll.start()
                    }
                }

                Rectangle {
                    objectName: "scrollIndicator"
                    visible: list.visibleArea.heightRatio < 1
                    anchors.right: parent.right; anchors.rightMargin: 2
                    y: list.visibleArea.yPosition * list.height
                    width: 4; radius: 2
                    height: list.visibleArea.heightRatio * list.height
                    color: look.tertiary
                }
            }
        }

        Rectangle { width: parent.width; height: 1; color: look.quaternary; opacity: 0.5 }

        // Footer: what the keys do.
        Item {
            width: parent.width; height: 28
            Row {
                anchors.left: parent.left; anchors.leftMargin: 16
                anchors.verticalCenter: parent.verticalCenter
                spacing: 12
                KeyHint {
                    objectName: "leftHint"
                    visible: root.switcher.leftNeighbor !== ""
                    symbol: "arrow-left"; label: root.switcher.leftNeighbor; theme: look
                }
                KeyHint {
                    objectName: "rightHint"
                    visible: root.switcher.rightNeighbor !== ""
                    symbol: "arrow-right"; label: root.switcher.rightNeighbor; theme: look
                }
                KeyHint {
                    objectName: "bringHereHint"
                    visible: root.switcher.leftNeighbor !== "" || root.switcher.rightNeighbor !== ""
                    symbol: "arrow-down-left"; label: root.switcher.bringHereLabel; theme: look
                }
            }
            Row {
                anchors.right: parent.right; anchors.rightMargin: 16
                anchors.verticalCenter: parent.verticalCenter
                spacing: 12
                KeyHint { objectName: "openHint"; symbol: "return"; label: "open"; theme: look }
                Text {
                    objectName: "resultCount"
                    textFormat: Text.PlainText
                    anchors.verticalCenter: parent.verticalCenter
                    visible: root.switcher.resultCount > 0
                    text: root.switcher.resultCount
                    font.pixelSize: look.footerSize
                    color: look.tertiary
                }
            }
        }
    }
}
