import QtQuick

// One of the palette's monochrome symbols, drawn in a tint colour.
Image {
    id: symbol
    property string name
    property real size: 15
    property color tint: "black"
    width: size; height: size
    sourceSize: Qt.size(Math.ceil(size * 2), Math.ceil(size * 2))
    source: "image://symbol/" + name + "/" + tint
    smooth: true
}
