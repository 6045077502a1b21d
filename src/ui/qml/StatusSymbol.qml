import QtQuick

// A status mark in a circle: "checkmark.circle.fill", "exclamationmark.circle.fill" (white mark
// on a filled circle) or "exclamationmark.circle" (mark and ring in the tint).
Canvas {
    id: symbol
    property string kind: "checkmark.circle.fill"
    property color tint: "green"
    property real size: 15
    width: size; height: size
    onKindChanged: requestPaint()
    onTintChanged: requestPaint()

    onPaint: {
        const context = getContext("2d")
        const s = symbol.size
        context.reset()
        context.clearRect(0, 0, width, height)
        const filled = symbol.kind !== "exclamationmark.circle"
        const mark = filled ? "white" : symbol.tint
        context.beginPath()
        if (filled) {
            context.arc(s / 2, s / 2, s / 2, 0, 2 * Math.PI)
            context.fillStyle = symbol.tint
            context.fill()
        } else {
            context.lineWidth = Math.max(1, s / 12)
            context.arc(s / 2, s / 2, s / 2 - context.lineWidth / 2, 0, 2 * Math.PI)
            context.strokeStyle = symbol.tint
            context.stroke()
        }
        context.strokeStyle = mark
        context.fillStyle = mark
        context.lineCap = "round"
        context.lineJoin = "round"
        context.lineWidth = Math.max(1.2, s / 9)
        context.beginPath()
        if (symbol.kind === "checkmark.circle.fill") {
            context.moveTo(s * 0.29, s * 0.52)
            context.lineTo(s * 0.44, s * 0.67)
            context.lineTo(s * 0.72, s * 0.36)
            context.stroke()
        } else {
            context.moveTo(s / 2, s * 0.27)
            context.lineTo(s / 2, s * 0.56)
            context.stroke()
            context.beginPath()
            context.arc(s / 2, s * 0.72, context.lineWidth * 0.6, 0, 2 * Math.PI)
            context.fill()
        }
    }
}
