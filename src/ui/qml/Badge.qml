import QtQuick

// A short label on a capsule of its own tint; keeps its natural size.
Rectangle {
    id: badge
    objectName: "badge"
    required property string text
    required property color tint
    required property var theme
    implicitWidth: label.implicitWidth + 12
    implicitHeight: label.implicitHeight + 5
    width: implicitWidth; height: implicitHeight
    radius: height / 2
    color: Qt.rgba(tint.r, tint.g, tint.b, 0.14)

    Text {
        id: label
        textFormat: Text.PlainText
        anchors.centerIn: parent
        text: badge.text
        font.pixelSize: badge.theme.badgeSize
        font.weight: Font.DemiBold
        color: badge.tint
    }
}
