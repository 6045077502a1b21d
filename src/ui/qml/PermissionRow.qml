import QtQuick

// A permission: whether it is granted, what it is for, and the button that helps grant it.
Item {
    id: row
    required property var theme
    property string title
    property string detail
    property bool granted
    property string actionTitle
    signal action()

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
