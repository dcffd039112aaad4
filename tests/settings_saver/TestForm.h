// A small window of the kind the saver serves: frame properties on the
// window, a check box, a control with one property of every kind the saver
// knows, and a collection of items.
#pragma once

#include "platform/Reflection.h"

#include <QCheckBox>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <vector>

class TestControl : public QWidget {
    Q_OBJECT
public:
    enum Shade { shLight, shMedium, shDark };
    Q_ENUM(Shade)
    enum Style { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
    Q_DECLARE_FLAGS(Styles, Style)
    Q_FLAG(Styles)

    Q_PROPERTY(int Count MEMBER Count)
    Q_PROPERTY(uint Loops MEMBER Loops)
    Q_PROPERTY(bool Flag MEMBER Flag)
    Q_PROPERTY(Shade Tone MEMBER Tone)
    Q_PROPERTY(Styles FontStyle READ Style WRITE SetStyle)
    Q_PROPERTY(double Ratio MEMBER Ratio)
    Q_PROPERTY(QString Caption MEMBER Caption)
    Q_PROPERTY(QByteArray Bytes MEMBER Bytes)
    Q_PROPERTY(QStringList Lines MEMBER Lines)
    Q_PROPERTY(qlonglong Big MEMBER Big)
    Q_PROPERTY(QVariant Any MEMBER Any)
    Q_PROPERTY(QObject* Partner MEMBER Partner)
    Q_PROPERTY(int Fixed READ FixedValue)
    Q_PROPERTY(QRect Area MEMBER Area)

    explicit TestControl(QWidget* parent = nullptr) : QWidget(parent) { }

    int Count = 0;
    uint Loops = 1;
    bool Flag = false;
    Shade Tone = shLight;
    Styles FontStyle;
    double Ratio = 0;
    QString Caption;
    QByteArray Bytes;
    QStringList Lines;
    qlonglong Big = 0;
    QVariant Any;
    QObject* Partner = nullptr;
    QRect Area;
    int FixedValue() const { return 7; }
    Styles Style() const { return FontStyle; }
    void SetStyle(Styles value) { FontStyle = value; }
};

class TestItem : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Value MEMBER Value)
public:
    explicit TestItem(QObject* parent = nullptr) : QObject(parent) { }
    int Value = 0;
};

class TestCollection : public QObject, public platform::Collection {
    Q_OBJECT
public:
    explicit TestCollection(QObject* parent = nullptr) : QObject(parent) { }

    int Count() const override { return static_cast<int>(items.size()); }
    QObject* Item(int index) const override { return items[static_cast<std::size_t>(index)]; }
    QObject* Add() override
    {
        items.push_back(new TestItem(this));
        return items.back();
    }
    void Free(int index) override
    {
        delete items[static_cast<std::size_t>(index)];
        items.erase(items.begin() + index);
    }
    void BeginUpdate() override { ++updates; }
    void EndUpdate() override { --updates; }

    std::vector<TestItem*> items;
    int updates = 0;
};

class TestForm : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
public:
    explicit TestForm(QWidget* parent = nullptr) : QWidget(parent)
    {
        setObjectName(QStringLiteral("TestForm"));
        pause->setObjectName(QStringLiteral("CheckBoxPause"));
        control->setObjectName(QStringLiteral("Control"));
        collection->setObjectName(QStringLiteral("Items"));
        pause->setChecked(true);
        setGeometry(100, 120, 300, 200);
    }

    int Left() const { return frameGeometry().x(); }
    int Top() const { return frameGeometry().y(); }
    int Width() const { return frameGeometry().width(); }
    int Height() const { return frameGeometry().height(); }
    void SetLeft(int value) { move(value, Top()); }
    void SetTop(int value) { move(Left(), value); }
    void SetWidth(int value) { resize(value - (Width() - width()), height()); }
    void SetHeight(int value) { resize(width(), value - (Height() - height())); }

    QCheckBox* pause = new QCheckBox(this);
    TestControl* control = new TestControl(this);
    TestCollection* collection = new TestCollection(this);
};
