// The window's default size is fitted to this platform's fonts: the design's
// sizes suit smaller fonts than the ones here; where these need more room, the
// options panel, the upper pane and the window grow just so far that every
// language and caption shows whole, the output separator stays on one line
// and the output memo shows ten lines. The arrangement stays the design's.
#include "app/MainFormSizes.h"

#include "app/FormControl.h"
#include "app/Memo.h"
#include "app/StatusBar.h"
#include "platform/WindowHooks.h"
#include "platform/WindowPlacement.h"
#include "widgets/acSplitterPanel.h"

#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <cmath>

namespace {

// The smallest outer frame, less the frame of the design's window (4-pixel
// borders and a 23-pixel caption), since Qt bounds the window without it.
const QSize MinimumFrameSize(468, 455);
const QSize DesignFrame(8, 31);
const QSize DesignClientSize(460, 462);
const int DesignSplitterPos = 323;
const int DesignOptionsPanelHeight = 238;
const int OutputLines = 10;

// What a tab page loses to the tab bar and the frame around the pages.
QSize TabChrome(const QTabWidget& tabs)
{
    const QSize probe(1000, 1000);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(&tabs);
    option.lineWidth = tabs.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &tabs);
    option.shape = tabs.tabBar()->shape();
    option.tabBarSize = tabs.tabBar()->sizeHint();
    option.rect = QRect(QPoint(0, 0), probe);
    const QRect page
        = tabs.style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, &tabs);
    return probe - page.size();
}

// What a memo's text loses to its frame and its document's margin.
int MemoChrome(const TMemo& memo)
{
    return 2 * memo.frameWidth()
        + 2 * static_cast<int>(std::ceil(memo.document()->documentMargin()));
}

} // namespace

TMainFormSizes::TMainFormSizes(QMainWindow& form)
    : form(form), acSplitterPanelMain(FormControl<TacSplitterPanel>(form, "acSplitterPanelMain")),
      PanelOptions(FormControl<QWidget>(form, "PanelOptions")),
      StatusBar(FormControl<TStatusBar>(form, "StatusBar")),
      TranslatedTextMemo(FormControl<TMemo>(form, "TranslatedTextMemo")),
      PageControl1(FormControl<QTabWidget>(form, "PageControl1"))
{
    form.setMinimumSize(MinimumFrameSize - DesignFrame);
}

void TMainFormSizes::FitToFonts()
{
    const int panelGrowth = OptionsPanelFit() - DesignOptionsPanelHeight;
    const int splitterPos = DesignSplitterPos + panelGrowth;
    acSplitterPanelMain.SetSplitterPos(splitterPos);
    const int height = std::max(DesignClientSize.height(),
        splitterPos + acSplitterPanelMain.SplitterWidth() + LowerPaneFit()
            + StatusBar.sizeHint().height());
    const int width
        = std::max({ DesignClientSize.width(), PanelOptions.sizeHint().width(), SeparatorFit() });
    form.resize(WithinScreen(QSize(width, height + form.menuBar()->sizeHint().height())));
}

// A screen too small for the fitted size (a small screen, large scaling) gets
// a window as large as it holds, frame included; the smallest size still
// bounds it.
QSize TMainFormSizes::WithinScreen(QSize size) const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? size.boundedTo(screen->availableGeometry().size() - DesignFrame) : size;
}

// The options panel keeps the design's height unless the checklist's rows or
// the column of options beside it need more.
int TMainFormSizes::OptionsPanelFit()
{
    const int height
        = std::max(DesignOptionsPanelHeight, PanelOptions.layout()->sizeHint().height());
    PanelOptions.setFixedHeight(height);
    return height;
}

// The memo holds an empty line after the last line break, where the caret
// goes: ten lines of text take the room of eleven. The memo's scrolling
// counts its last line as shown only with a pixel to spare below it.
int TMainFormSizes::LowerPaneFit() const
{
    const int lines = (OutputLines + 1) * TranslatedTextMemo.fontMetrics().lineSpacing();
    return lines + 1 + MemoChrome(TranslatedTextMemo) + TabChrome(PageControl1).height();
}

// One pixel to spare keeps rounding in the text layout from breaking the line.
int TMainFormSizes::SeparatorFit() const
{
    const QString separator = QString(48, QLatin1Char('='));
    const int text = static_cast<int>(
        std::ceil(QFontMetricsF(TranslatedTextMemo.font()).horizontalAdvance(separator)));
    const int scrollBar = TranslatedTextMemo.verticalScrollBar()->sizeHint().width();
    return text + 1 + MemoChrome(TranslatedTextMemo) + scrollBar + TabChrome(PageControl1).width();
}

void TMainFormSizes::PlaceAtScreenCentre()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        form.move(platform::CentredWithin(screen->availableGeometry(), form.size()));
}

void TMainFormSizes::BringWithinReach()
{
    form.move(platform::ReachablePosition(form.frameGeometry(), platform::ScreenAreas()));
}

void TMainFormSizes::KeepMinimumFrame()
{
    const QSize frame = FrameMargins();
    form.setMinimumSize(MinimumFrameSize - (frame.isEmpty() ? DesignFrame : frame));
}

int TMainFormSizes::Left() const
{
    return form.frameGeometry().left();
}

void TMainFormSizes::SetLeft(int value)
{
    form.move(value, form.frameGeometry().top());
}

int TMainFormSizes::Top() const
{
    return form.frameGeometry().top();
}

void TMainFormSizes::SetTop(int value)
{
    form.move(form.frameGeometry().left(), value);
}

int TMainFormSizes::Width() const
{
    return form.frameGeometry().width();
}

void TMainFormSizes::SetWidth(int value)
{
    ResizeFrame(QSize(value, Height()));
}

int TMainFormSizes::Height() const
{
    return form.frameGeometry().height();
}

void TMainFormSizes::SetHeight(int value)
{
    ResizeFrame(QSize(Width(), value));
}

// A window that is not shown has no frame yet: the frame size is applied
// again once the window manager has framed it.
void TMainFormSizes::ResizeFrame(QSize frame)
{
    if (!form.isVisible())
        platform::WindowEvents::Of(&form)->SetPendingFrameSize(frame);
    form.resize(frame - FrameMargins());
}

QSize TMainFormSizes::FrameMargins() const
{
    return form.frameGeometry().size() - form.size();
}
