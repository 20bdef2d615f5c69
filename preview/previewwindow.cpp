#include "previewwindow.h"

#include "korvelle.h"
#include "pageview/kvmetafile.h"

#include <QCloseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>

namespace kv {

ClientArea::ClientArea(KORVELLE& owner, QWidget* parent) : QWidget(parent), owner_(owner)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(gdi::toQRgb(owner.nBackClr)));
    setPalette(pal);
}

void ClientArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (KVMETAFILE* view : owner_.aMeta)
        if (view)
            view->Shadow(painter);
}

void ClientArea::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (auto* window = qobject_cast<PreviewWindow*>(this->window()))
        window->placeScrollBars();
}

PreviewWindow::PreviewWindow(KORVELLE& owner)
    : owner_(owner), client_(new ClientArea(owner, this)),
      vBar_(new QScrollBar(Qt::Vertical, client_)), hBar_(new QScrollBar(Qt::Horizontal, client_))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setCentralWidget(client_);
    for (QScrollBar* bar : {vBar_, hBar_}) {
        bar->setRange(0, 0);
        bar->setPageStep(1);
        bar->setSingleStep(1);
        bar->hide();
    }
    wireScrollBar(vBar_, true);
    wireScrollBar(hBar_, false);
}

// The scroll arithmetic decides where the thumb goes (before or after the call, depending on
// the event): the platform's own movement is overridden with the model's position.
void PreviewWindow::wireScrollBar(QScrollBar* bar, bool vertical)
{
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar, vertical](int action) {
        const auto scroll = [&](int dir, bool page, std::optional<int> pos) {
            if (vertical) owner_.VScroll(dir, page, pos); else owner_.HScroll(dir, page, pos);
        };
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub: scroll(1, false, std::nullopt); break;
        case QAbstractSlider::SliderSingleStepAdd: scroll(2, false, std::nullopt); break;
        case QAbstractSlider::SliderPageStepSub: scroll(1, true, std::nullopt); break;
        case QAbstractSlider::SliderPageStepAdd: scroll(2, true, std::nullopt); break;
        default: return;
        }
        bar->setSliderPosition((vertical ? owner_.vBar : owner_.hBar).pos);
    });
    connect(bar, &QAbstractSlider::sliderReleased, this, [this, bar, vertical] {
        const int released = bar->sliderPosition();
        if (vertical) owner_.VScroll(0, false, released); else owner_.HScroll(0, false, released);
        const QSignalBlocker block(bar);
        bar->setValue((vertical ? owner_.vBar : owner_.hBar).pos);
    });
}

void PreviewWindow::placeScrollBars()
{
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QRect area = client_->rect();
    const bool vShown = owner_.vBar.max > owner_.vBar.min;
    const bool hShown = owner_.hBar.max > owner_.hBar.min;
    for (auto [bar, model] : {std::pair{vBar_, owner_.vBar}, std::pair{hBar_, owner_.hBar}}) {
        const QSignalBlocker block(bar);
        bar->setRange(model.min, model.max);
        bar->setValue(model.pos);
    }
    vBar_->setGeometry(area.width() - extent, 0, extent, area.height() - (hShown ? extent : 0));
    hBar_->setGeometry(0, area.height() - extent, area.width() - (vShown ? extent : 0), extent);
    vBar_->setVisible(vShown);
    hBar_->setVisible(hShown);
    vBar_->raise();
    hBar_->raise();
}

void PreviewWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    owner_.PaintMeta();
}

void PreviewWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        owner_.PaintMeta();
}

void PreviewWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (started_)
        return;
    started_ = true;
    if (onStart)
        QTimer::singleShot(0, this, [this] { if (onStart) onStart(); });
}

void PreviewWindow::closeEvent(QCloseEvent* event)
{
    owner_.CloseHandler();
    event->accept();
}

} // namespace kv
