import QtQuick

// A global shortcut and the button that records a new one: "Press keys…" while it records.
Item {
    id: row
    required property var theme
    property string title
    property string detail
    property string shortcut
    property bool recording
    signal pressed()

    implicitHeight: Math.max(texts.height, keyCap.height)
    height: implicitHeight

    Column {
        id: texts
        anchors.left: parent.left
        anchors.right: keyCap.left; anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        Text {
            objectName: "rowTitle"
            textFormat: Text.PlainText
            text: row.title
            font.pixelSize: row.theme.bodySize
            color: row.theme.text
        }
        Text {
            objectName: "rowDetail"
            textFormat: Text.PlainText
            visible: row.detail !== ""
            width: parent.width
            wrapMode: Text.Wrap
            text: row.detail
            font.pixelSize: row.theme.captionSize
            color: row.theme.secondary
        }
    }
    SettingsButton {
        id: keyCap
        objectName: "keyCap"
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        theme: row.theme
        minimumWidth: 96
        monospaced: true
        highlighted: row.recording
        title: row.recording ? "Press keys…" : row.shortcut
        onClicked: row.pressed()
    }
}
