import QtQuick

// A titled group of settings rows on a rounded box.
Column {
    id: section
    required property string title
    required property var theme
    default property alias rows: box.data

    width: parent.width
    spacing: 9

    Text {
        objectName: "sectionTitle"
        textFormat: Text.PlainText
        text: section.title.toUpperCase()
        font.pixelSize: section.theme.sectionSize; font.weight: Font.DemiBold
        font.letterSpacing: 0.6
        color: section.theme.tertiary
    }
    Rectangle {
        width: section.width
        height: box.height + 28
        radius: 10
        color: section.theme.box
        Column {
            id: box
            x: 14; y: 14
            width: parent.width - 28
            spacing: 13
        }
    }
}
