import QtQuick

// An on/off switch with its label; a click asks for the other state and shows whatever the
// settings then say.
Item {
    id: toggle
    required property var theme
    property string label
    property bool checked
    signal toggled(bool on)

    implicitHeight: 18
    height: implicitHeight

    Text {
        textFormat: Text.PlainText
        anchors.left: parent.left
        anchors.verticalCenter: parent.verticalCenter
        text: toggle.label
        font.pixelSize: toggle.theme.bodySize
        color: toggle.theme.text
    }
    Rectangle {
        id: track
        objectName: "switchTrack"
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        width: 32; height: 18; radius: 9
        color: toggle.checked ? toggle.theme.accent : toggle.theme.quaternary
        Rectangle {
            width: 14; height: 14; radius: 7
            y: 2
            x: toggle.checked ? track.width - width - 2 : 2
            color: "white"
            border.width: 0.5
            border.color: Qt.rgba(0, 0, 0, 0.15)
        }
        MouseArea {
            anchors.fill: parent
            onClicked: toggle.toggled(!toggle.checked)
        }
    }
}
