#pragma once
// The spots of a window that its self-drawn controls change within one frame, handed to
// Qt as one region just before the window repaints. The end's dance changes some seventy
// spots a frame; Qt would grow its region by one union per spot, copying it each time.

#include <QRect>
#include <QRegion>
#include <QWidget>
#include <vector>

namespace platform {

// The union of the rectangles, built in one sweep down their edges.
QRegion UnionOf(const std::vector<QRect>& rects);

// A window whose self-drawn controls' spots wait for its next repaint and join it then.
class SpotsWindow : public QWidget {
public:
    using QWidget::QWidget;
    // The first spot of a frame asks Qt for a repaint; the others wait for it.
    void AddSpot(const QRect& spot);

protected:
    bool event(QEvent* event) override;

private:
    // Every spot waiting joins the region Qt repaints.
    void HandSpots();
    std::vector<QRect> spots_;
};

// Repaints a spot of a window, at its next repaint.
void RedrawSpot(QWidget& window, const QRect& spot);

}  // namespace platform
