// A panel that holds two panes of its own class with a draggable bar between
// them. The pane that is not client-aligned is the fixed one; SplitterPos is
// its size along the split.
#pragma once

#include <QCursor>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>

struct SplitterGeometry;

class TacSplitterPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int SplitterPos READ SplitterPos WRITE SetSplitterPos)
    Q_PROPERTY(int MinSize READ MinSize WRITE SetMinSize)
    Q_PROPERTY(int SplitterWidth READ SplitterWidth WRITE SetSplitterWidth)
    Q_PROPERTY(TSplitterStyle SplitterStyle READ SplitterStyle WRITE SetSplitterStyle)
    Q_PROPERTY(bool SplitterLocked READ SplitterLocked WRITE SetSplitterLocked)
    Q_PROPERTY(bool NoResize READ NoResize WRITE SetNoResize)
    Q_PROPERTY(bool ClipSplitRect READ ClipSplitRect WRITE SetClipSplitRect)
    Q_PROPERTY(bool ProportionalPanes READ ProportionalPanes WRITE SetProportionalPanes)
    Q_PROPERTY(Qt::CursorShape CursorHorz READ CursorHorz WRITE SetCursorHorz)
    Q_PROPERTY(Qt::CursorShape CursorVert READ CursorVert WRITE SetCursorVert)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(TAlign Align READ Align WRITE SetAlign)

public:
    enum TSplitterStyle { ssUpdate, ssLine, ssPattern };
    Q_ENUM(TSplitterStyle)
    // Where a pane sits inside its splitter; alClient marks the pane that
    // takes what the fixed one leaves.
    enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
    Q_ENUM(TAlign)

    explicit TacSplitterPanel(QWidget* parent = nullptr);
    ~TacSplitterPanel() override;

    int SplitterPos() const { return splitterPos; }
    void SetSplitterPos(int value);
    int MinSize() const { return minSize; }
    void SetMinSize(int value);
    int SplitterWidth() const { return splitterWidth; }
    void SetSplitterWidth(int value);
    TSplitterStyle SplitterStyle() const { return splitterStyle; }
    void SetSplitterStyle(TSplitterStyle value) { splitterStyle = value; }
    bool SplitterLocked() const { return splitterLocked; }
    void SetSplitterLocked(bool value);
    bool NoResize() const { return noResize; }
    void SetNoResize(bool value);
    bool ClipSplitRect() const { return clipSplitRect; }
    void SetClipSplitRect(bool value) { clipSplitRect = value; }
    bool ProportionalPanes() const { return proportionalPanes; }
    void SetProportionalPanes(bool value) { proportionalPanes = value; }
    Qt::CursorShape CursorHorz() const { return cursorHorz; }
    void SetCursorHorz(Qt::CursorShape value) { cursorHorz = value; }
    Qt::CursorShape CursorVert() const { return cursorVert; }
    void SetCursorVert(Qt::CursorShape value) { cursorVert = value; }
    int BorderWidth() const { return borderWidth; }
    void SetBorderWidth(int value);
    TAlign Align() const { return align; }
    void SetAlign(TAlign value);

    // The stored "Pane" flag: a pane joins the splitter panel it is a child of,
    // as its first or second pane; further panes are ignored.
    bool Pane() const { return pane; }
    void SetPane(bool value);
    TacSplitterPanel* Pane1() const { return firstPane; }
    TacSplitterPanel* Pane2() const { return secondPane; }
    bool IsSplitter() const { return firstPane && secondPane; }
    bool IsVerticalSplit() const;
    TacSplitterPanel* FixedPane() const;
    // Where the bar lies now; empty unless both panes are shown.
    QRect SplitterRect() const;

    void AdjustPanes();

    std::function<void(QObject* Sender, int NewPos)> OnSplitterPosChanged;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void JoinParent();
    void AttachPane(TacSplitterPanel* child);
    void DetachPane(QObject* child);
    SplitterGeometry CurrentGeometry() const;
    int ClampedPos(int position) const;
    int AlongSplit(QPoint point) const;
    bool CanDrag() const;
    void KeepPointerInside(QPoint point);
    void UpdateCursor(QPoint point);
    void FollowPaneResize(TacSplitterPanel* resized);
    void MoveGhost(int position);
    void FinishDrag();

    int splitterPos = 0;
    std::uint16_t minSize = 30;
    std::uint8_t splitterWidth = 3;
    TSplitterStyle splitterStyle = ssUpdate;
    bool splitterLocked = false;
    bool noResize = false;
    bool clipSplitRect = true;
    bool proportionalPanes = false;
    Qt::CursorShape cursorHorz = Qt::SizeVerCursor;
    Qt::CursorShape cursorVert = Qt::SizeHorCursor;
    int borderWidth = 0;
    TAlign align = alNone;
    bool pane = false;

    QPointer<TacSplitterPanel> firstPane;
    QPointer<TacSplitterPanel> secondPane;
    bool layingOut = false;
    int sizeAtLastChange = 0;
    bool dragging = false;
    int dragOffset = 0;
    int dragPos = 0;
    bool showingBarCursor = false;
    bool hadOwnCursor = false;
    QCursor ownCursor;
    QWidget* ghost = nullptr;
};
