import QtQuick

// A permission or a browser: whether it is granted (connected), what it is for, the button that
// helps grant it and, when given, a link to what the user does next.
Item {
    id: row
    required property var theme
    property string title
    property string detail
    property bool granted
    property string actionTitle
    property string linkTitle
    signal action()
    signal link()

    implicitHeight: Math.max(symbol.height, texts.height, button.visible ? button.height : 0)
    height: implicitHeight

    StatusSymbol {
        id: symbol
        kind: row.granted ? "checkmark.circle.fill" : "exclamationmark.circle"
        tint: row.granted ? row.theme.green : row.theme.orange
        size: 15
    }
    Column {
        id: texts
        anchors.left: symbol.right; anchors.leftMargin: 10
        anchors.right: button.visible ? button.left : parent.right
        anchors.rightMargin: 8
        spacing: 2
        Text {
            objectName: "rowTitle"
            textFormat: Text.PlainText
            text: row.title
            font.pixelSize: row.theme.bodySize; font.weight: Font.Medium
            color: row.theme.text
        }
        Text {
            objectName: "rowDetail"
            textFormat: Text.PlainText
            width: parent.width
            wrapMode: Text.Wrap
            text: row.detail
            font.pixelSize: row.theme.captionSize
            color: row.theme.secondary
        }
        Text {
            objectName: "rowLink"
            visible: row.linkTitle !== "" && !row.granted
            textFormat: Text.PlainText
            text: row.linkTitle
            font.pixelSize: row.theme.captionSize; font.underline: true
            color: row.theme.accent
            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: row.link()
            }
        }
    }
    SettingsButton {
        id: button
        objectName: "rowButton"
        anchors.right: parent.right
        visible: !row.granted
        theme: row.theme
        title: row.actionTitle
        onClicked: row.action()
    }
}
