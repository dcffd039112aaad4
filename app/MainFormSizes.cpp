// The window's default size on this platform's fonts. The design's sizes
// suit smaller fonts than the ones here; where these need more room, the
// options panel, the upper pane and the window grow just so far that every
// language and caption shows whole, the output separator stays on one line
// and the output memo shows ten lines. The arrangement stays the design's.
#include "app/MainFormUnit.h"

#include "app/Memo.h"
#include "app/StatusBar.h"
#include "run/RunReports.h"
#include "widgets/acSplitterPanel.h"

#include <QLayout>
#include <QMenuBar>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <cmath>

namespace {

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

void TMainForm::FitToFonts()
{
    const int panelGrowth = OptionsPanelFit() - DesignOptionsPanelHeight;
    const int splitterPos = DesignSplitterPos + panelGrowth;
    acSplitterPanelMain->SetSplitterPos(splitterPos);
    const int height = std::max(DesignClientSize.height(),
        splitterPos + acSplitterPanelMain->SplitterWidth() + LowerPaneFit()
            + StatusBar->sizeHint().height());
    const int width
        = std::max({ DesignClientSize.width(), PanelOptions->sizeHint().width(), SeparatorFit() });
    resize(width, height + menuBar()->sizeHint().height());
}

// The options panel keeps the design's height unless the checklist's rows or
// the column of options beside it need more.
int TMainForm::OptionsPanelFit()
{
    const int height
        = std::max(DesignOptionsPanelHeight, PanelOptions->layout()->sizeHint().height());
    PanelOptions->setFixedHeight(height);
    return height;
}

// The memo holds an empty line after the last line break, where the caret
// goes: ten lines of text take the room of eleven. The memo's scrolling
// counts its last line as shown only with a pixel to spare below it.
int TMainForm::LowerPaneFit() const
{
    const int lines = (OutputLines + 1) * TranslatedTextMemo->fontMetrics().lineSpacing();
    return lines + 1 + MemoChrome(*TranslatedTextMemo) + TabChrome(*PageControl1).height();
}

// One pixel to spare keeps rounding in the text layout from breaking the line.
int TMainForm::SeparatorFit() const
{
    const QString separator = QString(48, QLatin1Char('='));
    const int text = static_cast<int>(
        std::ceil(QFontMetricsF(TranslatedTextMemo->font()).horizontalAdvance(separator)));
    const int scrollBar = TranslatedTextMemo->verticalScrollBar()->sizeHint().width();
    return text + 1 + MemoChrome(*TranslatedTextMemo) + scrollBar
        + TabChrome(*PageControl1).width();
}
