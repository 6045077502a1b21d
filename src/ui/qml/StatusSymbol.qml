import QtQuick

// A status mark in a circle: "checkmark.circle.fill" and "exclamationmark.circle.fill" (a white
// mark on a circle of the tint), or "exclamationmark.circle" (mark and ring in the tint).
Item {
    id: symbol
    property string kind: "checkmark.circle.fill"
    property color tint: "green"
    property real size: 15
    readonly property bool filled: kind !== "exclamationmark.circle"
    width: size; height: size

    Rectangle {
        anchors.fill: parent
        radius: width / 2
        visible: symbol.filled
        color: symbol.tint
    }
    Symbol {
        anchors.fill: parent
        size: symbol.size
        name: symbol.kind === "checkmark.circle.fill" ? "checkmark"
            : (symbol.filled ? "exclamationmark" : "exclamationmark-circle")
        tint: symbol.filled ? "white" : symbol.tint
    }
}
