// The about window: icon, raised title, notice, description, the e-mail and
// web links and the OK button over a gradient background. The about box
// component fills it in and stacks its parts.
#pragma once

#include <QColor>
#include <QDialog>
#include <QRect>
#include <vector>

class QFrame;
class QLabel;
class QPushButton;
class TacLabel;
class TacRichLabel;
class TacURLLabel;

enum TacGradientDirection { gdHorizontal, gdVertical };

struct TacGradient {
    bool Enabled = true;
    TacGradientDirection Direction = gdHorizontal;
    QColor Color1; // invalid: the button-face colour
    QColor Color2; // invalid: the 3-D light colour
};

struct GradientBand {
    QRect rect;
    QColor color;
};

// The 255 bands of equal width that run from the first colour to the second
// across the area (left to right, or top to bottom).
std::vector<GradientBand> GradientBands(
    QSize area, TacGradientDirection direction, const QColor& from, const QColor& to);

class TacQuickAboutBoxForm : public QDialog {
    Q_OBJECT

public:
    explicit TacQuickAboutBoxForm(QWidget* parent = nullptr);

    void SetGradient(const TacGradient& gradient);
    TacGradient Gradient() const { return gradient; }

    // Fades in when shown and out when closed, over delay milliseconds.
    void SetAnimations(bool onShow, bool onHide, int delay);

    // The OK button is also the cancel button: every way out closes with OK.
    void reject() override;
    void done(int result) override;

    QLabel* Icon;
    TacLabel* TitleLabel;
    TacRichLabel* CopyrightLabel;
    QFrame* Bevel1;
    TacRichLabel* DescriptionLabel;
    QFrame* Bevel2;
    QLabel* EmailLabel;
    TacURLLabel* EmailLab;
    QLabel* WWWLabel;
    TacURLLabel* WWWLab;
    QPushButton* OKBtn;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    template <typename Widget> Widget* Add(const char* name, QRect design);
    void SetUpTitle();
    void SetUpLabels();
    void SetUpButton();

    void Fade(qreal to);

    TacGradient gradient;
    bool animateOnShow = false;
    bool animateOnHide = false;
    int animationDelay = 0;
    bool closing = false;
};
