// The about box component: Execute builds the about window from the
// properties, stacks its parts to fit their texts and shows it modally.
#pragma once

#include "widgets/acQuickAboutBoxForm.h"

#include <QColor>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <memory>

struct TacAboutCursors {
    Qt::CursorShape Client = Qt::ArrowCursor;
    Qt::CursorShape Links = Qt::PointingHandCursor;
    Qt::CursorShape Buttons = Qt::ArrowCursor;
    // The window frame belongs to the window manager; these are kept for the
    // component's users but cannot change the frame's own cursors.
    Qt::CursorShape Caption = Qt::ArrowCursor;
    Qt::CursorShape Border = Qt::ArrowCursor;
    Qt::CursorShape BtnClose = Qt::ArrowCursor;
};

struct TacAboutLocalization {
    QString stAbout = QStringLiteral("About");
    QString stOK = QStringLiteral("OK");
};

class TacQuickAboutBox : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER Caption)
    Q_PROPERTY(QString Copyright MEMBER Copyright)
    Q_PROPERTY(QString Description MEMBER Description)
    Q_PROPERTY(QColor DescriptionColor MEMBER DescriptionColor)
    Q_PROPERTY(QString Email MEMBER Email)
    Q_PROPERTY(QString EmailText MEMBER EmailText)
    Q_PROPERTY(bool EmailIsWWW MEMBER EmailIsWWW)
    Q_PROPERTY(QString WebSite MEMBER WebSite)
    Q_PROPERTY(int Width MEMBER Width)
    Q_PROPERTY(TPosition Position MEMBER Position)
    Q_PROPERTY(bool ShowBevels MEMBER ShowBevels)
    Q_PROPERTY(bool ShowFrames MEMBER ShowFrames)
    Q_PROPERTY(bool ShowHints MEMBER ShowHints)
    Q_PROPERTY(bool AnimationOnShow MEMBER AnimationOnShow)
    Q_PROPERTY(bool AnimationOnHide MEMBER AnimationOnHide)
    Q_PROPERTY(int AnimationDelay MEMBER AnimationDelay)

public:
    enum TPosition {
        poDesigned,
        poDefault,
        poScreenCenter,
        poDesktopCenter,
        poMainFormCenter,
        poOwnerFormCenter
    };
    Q_ENUM(TPosition)

    explicit TacQuickAboutBox(QObject* owner = nullptr);

    QString Caption = QStringLiteral("Program Name");
    QString Copyright = QStringLiteral("Copyright \u00A9 the author. All rights reserved.");
    QString Description;
    QColor DescriptionColor;
    QPixmap Icon;
    QString Email = QStringLiteral("author@example.com");
    QString EmailText;
    bool EmailIsWWW = false;
    QString WebSite = QStringLiteral("https://www.example.com/");
    int Width = 260;
    TPosition Position = poMainFormCenter;
    bool ShowBevels = true;
    bool ShowFrames = false;
    bool ShowHints = true;
    bool AnimationOnShow = true;
    bool AnimationOnHide = true;
    int AnimationDelay = 80;
    TacGradient GradientBackground;
    TacAboutCursors Cursors;
    TacAboutLocalization Localization;

    // Returns when the about window has been closed; the window is destroyed
    // on every path.
    void Execute();

    // The about window filled in and laid out, not yet shown.
    std::unique_ptr<TacQuickAboutBoxForm> CreateForm() const;

private:
    QWidget* OwnerWindow() const;
    void LayOut(TacQuickAboutBoxForm& form) const;
    int LayOutDescription(TacQuickAboutBoxForm& form, int y) const;
    int LayOutLinks(TacQuickAboutBoxForm& form, int y) const;
    void ApplyCursors(TacQuickAboutBoxForm& form) const;
    void Place(TacQuickAboutBoxForm& form) const;
};
