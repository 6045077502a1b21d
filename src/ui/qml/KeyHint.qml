import QtQuick

// A key's symbol in a small rounded box, then what the key does.
Row {
    id: hint
    required property string symbol
    required property string label
    required property var theme
    spacing: 4

    Rectangle {
        width: 15; height: 13; radius: 3.5
        anchors.verticalCenter: parent.verticalCenter
        color: hint.theme.quaternary
        opacity: 0.55
        Symbol { anchors.centerIn: parent; name: hint.symbol; size: 8; tint: hint.theme.text }
    }
    Text {
        textFormat: Text.PlainText
        anchors.verticalCenter: parent.verticalCenter
        text: hint.label
        font.pixelSize: hint.theme.footerSize
        color: hint.theme.text
        elide: Text.ElideRight
    }
}
