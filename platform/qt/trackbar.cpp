// Qt widgets of "msctls_trackbar32" windows.
#include <QSlider>

#include "qt/widgets.h"
#include "win/controls.h"

using namespace cw::win;

namespace cw::qt {

namespace {

int code_of(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub: return TB_LINEUP;
        case QAbstractSlider::SliderSingleStepAdd: return TB_LINEDOWN;
        case QAbstractSlider::SliderPageStepSub: return TB_PAGEUP;
        case QAbstractSlider::SliderPageStepAdd: return TB_PAGEDOWN;
        case QAbstractSlider::SliderToMinimum: return TB_TOP;
        case QAbstractSlider::SliderToMaximum: return TB_BOTTOM;
        case QAbstractSlider::SliderMove: return TB_THUMBTRACK;
    }
    return -1;
}

}  // namespace

void create_trackbar(Window* w) {
    View* v = view_of(w);
    auto* slider = new QSlider((w->style & TBS_VERT) ? Qt::Vertical : Qt::Horizontal, v->client);
    if (w->style & TBS_AUTOTICKS) {
        slider->setTickPosition((w->style & TBS_TOP) ? QSlider::TicksAbove : QSlider::TicksBelow);
        slider->setTickInterval(1);
    }
    slider->setPageStep(1);
    QObject::connect(slider, &QSlider::actionTriggered, slider, [w, slider](int action) {
        int code = code_of(action);
        if (code < 0) return;
        // The wheel moves the slider without a drag: a line step that ends at once.
        if (code == TB_THUMBTRACK && !slider->isSliderDown())
            code = slider->sliderPosition() < slider->value() ? TB_LINEUP : TB_LINEDOWN;
        trackbar_user_action(w, code, slider->sliderPosition());
        // Keys and clicks end at once; a thumb drag ends when it is let go.
        if (code != TB_THUMBTRACK) trackbar_user_action(w, TB_ENDTRACK, slider->sliderPosition());
    });
    QObject::connect(slider, &QSlider::sliderReleased, slider, [w, slider] {
        trackbar_user_action(w, TB_THUMBPOSITION, slider->sliderPosition());
        trackbar_user_action(w, TB_ENDTRACK, slider->sliderPosition());
    });
    v->control = slider;
    slider->show();
    trackbar_sync(w);
}

void trackbar_sync(Window* w) {
    View* v = view_of(w);
    auto* slider = v ? qobject_cast<QSlider*>(v->control) : nullptr;
    auto* s = static_cast<TrackbarState*>(w->control.get());
    if (!slider || !s) return;
    const QSignalBlocker block(slider);
    slider->setRange(s->min, std::max(s->min, s->max));
    slider->setValue(s->pos);
}

}  // namespace cw::qt
