import QtQuick

// One window or tab: icon, title over subtitle, then its badges.
Item {
    id: row
    required property int index
    required property string titleMarkup
    required property string subtitle
    required property string screenName
    required property bool otherDesktop
    required property string icon
    required property var theme
    required property var switcher
    readonly property bool selected: switcher !== null && index === switcher.selection

    height: 46

    Rectangle {
        anchors.fill: parent
        radius: 7
        color: row.selected ? Qt.rgba(row.theme.accent.r, row.theme.accent.g, row.theme.accent.b, 0.16)
                            : "transparent"
    }
    Rectangle {
        objectName: "selectionBar"
        visible: row.selected
        x: 2; width: 3; height: 23; radius: 1.5
        anchors.verticalCenter: parent.verticalCenter
        color: row.theme.accent
    }

    Row {
        anchors.fill: parent
        anchors.leftMargin: 10; anchors.rightMargin: 10
        spacing: 10

        Item {
            width: 28; height: 28
            anchors.verticalCenter: parent.verticalCenter
            Image {
                id: appIcon
                anchors.fill: parent
                source: row.icon
                sourceSize: Qt.size(56, 56)
                fillMode: Image.Stretch
                visible: status === Image.Ready
            }
            Rectangle {
                anchors.fill: parent
                radius: 5
                color: row.theme.quaternary
                visible: appIcon.status !== Image.Ready
            }
        }

        Column {
            id: texts
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - 28 - 8 - badges.width - 3 * 10
            spacing: 1
            Text {
                objectName: "title"
                width: parent.width
                text: row.titleMarkup
                textFormat: Text.StyledText
                font.pixelSize: row.theme.rowTitleSize
                font.weight: Font.Medium
                color: row.theme.text
                elide: Text.ElideRight
                maximumLineCount: 1
            }
            Text {
                objectName: "subtitle"
                width: parent.width
                text: row.subtitle
                textFormat: Text.PlainText
                font.pixelSize: row.theme.rowSubtitleSize
                color: row.selected ? row.theme.secondary : row.theme.tertiary
                elide: Text.ElideMiddle
                maximumLineCount: 1
            }
        }

        Item { width: 8; height: 1 }

        Row {
            id: badges
            anchors.verticalCenter: parent.verticalCenter
            spacing: 6
            Badge {
                visible: row.screenName !== ""
                text: row.screenName
                tint: row.theme.secondaryLabel
                theme: row.theme
            }
            Badge {
                visible: row.otherDesktop
                text: "other desktop"
                tint: row.theme.secondaryLabel
                theme: row.theme
            }
        }
    }

    MouseArea {
        anchors.fill: parent
        onClicked: row.switcher.activate(row.index)
    }
}
