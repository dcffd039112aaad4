// The window's sizes: its default size on this platform's fonts, its
// smallest size, its place at the screen's centre and the outer frame
// rectangle that the saved placement records.
#pragma once

#include <QSize>

class QMainWindow;
class QTabWidget;
class QWidget;
class TacSplitterPanel;
class TMemo;
class TStatusBar;

class TMainFormSizes {
public:
    // The window's controls must be in place.
    explicit TMainFormSizes(QMainWindow& form);

    void FitToFonts();
    void PlaceAtScreenCentre();
    // Moves a window whose title bar no screen shows (a position saved on
    // screens no longer there) just onto the primary screen.
    void BringWithinReach();
    // Bounds the outer frame once the window manager has framed the window.
    void KeepMinimumFrame();

    int Left() const;
    void SetLeft(int value);
    int Top() const;
    void SetTop(int value);
    int Width() const;
    void SetWidth(int value);
    int Height() const;
    void SetHeight(int value);

private:
    QSize WithinScreen(QSize size) const;
    int OptionsPanelFit();
    int LowerPaneFit() const;
    int SeparatorFit() const;
    QSize FrameMargins() const;
    void ResizeFrame(QSize frame);

    QMainWindow& form;
    TacSplitterPanel& acSplitterPanelMain;
    QWidget& PanelOptions;
    TStatusBar& StatusBar;
    TMemo& TranslatedTextMemo;
    QTabWidget& PageControl1;
};
