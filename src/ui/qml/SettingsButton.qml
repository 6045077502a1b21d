import QtQuick

// A small push button.
Rectangle {
    id: button
    required property var theme
    property string title
    property real minimumWidth: 0
    property bool monospaced: false
    property bool highlighted: false
    signal clicked()

    width: Math.max(minimumWidth, label.implicitWidth + 20)
    height: 22
    radius: 5
    opacity: enabled ? 1 : 0.5
    color: highlighted ? Qt.rgba(theme.accent.r, theme.accent.g, theme.accent.b, 0.18)
                       : (area.pressed ? theme.quaternary : Qt.rgba(theme.text.r, theme.text.g, theme.text.b, 0.07))
    border.width: 1
    border.color: highlighted ? theme.accent : theme.quaternary

    Text {
        id: label
        objectName: "buttonLabel"
        textFormat: Text.PlainText
        anchors.centerIn: parent
        text: button.title
        font.pixelSize: button.monospaced ? button.theme.keyCapSize : button.theme.captionSize
        font.family: button.monospaced ? "monospace" : Qt.application.font.family
        font.weight: button.monospaced ? Font.Medium : Font.Normal
        color: button.theme.text
    }
    MouseArea {
        id: area
        anchors.fill: parent
        enabled: button.enabled
        onClicked: button.clicked()
    }
}
