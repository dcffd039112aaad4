// Providers of values that are no published properties: a saver entry of the
// custom type asks its provider for the value of a name on an object, and
// hands the provider the value to apply.
#pragma once

#include "platform/Reflection.h"
#include "settings/rsStorage.h"
#include "settings/rsValue.h"

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class TrsAddInProperties : public QObject {
    Q_OBJECT
public:
    explicit TrsAddInProperties(QObject* owner = nullptr);

    // The base supplies nothing and applies nothing.
    virtual Variant GetPropertyValue(
        TrsComponent* Sender, QObject* Instance, const std::string& PropName);
    virtual void SetPropertyValue(
        TrsComponent* Sender, QObject* Instance, const std::string& PropName, const Variant& Value);
};

using TrsCustomPropertyEvent
    = std::function<void(TrsComponent* Sender, QObject* Instance, Variant& Value)>;

// One custom value: its name, the class of the objects it suits and the
// handlers that supply and apply it.
class TrsCustomProperty : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString PropClass READ PropClassText WRITE SetPropClassText)
    Q_PROPERTY(QString PropName READ PropNameText WRITE SetPropNameText)
    Q_PROPERTY(bool InDescendants MEMBER InDescendants)
public:
    explicit TrsCustomProperty(QObject* parent = nullptr);

    std::string PropClass;
    std::string PropName;
    bool InDescendants = true;
    TrsCustomPropertyEvent OnGetProperty;
    TrsCustomPropertyEvent OnSetProperty;

    // The object's class is PropClass or, with InDescendants, derives from it.
    bool IsSuitable(const QObject* instance) const;

private:
    QString PropClassText() const;
    void SetPropClassText(const QString& text);
    QString PropNameText() const;
    void SetPropNameText(const QString& text);
};

class TrsPropertyItems : public QObject, public platform::Collection {
    Q_OBJECT
public:
    explicit TrsPropertyItems(QObject* parent = nullptr);

    int Count() const override;
    QObject* Item(int index) const override;
    QObject* Add() override;
    void Free(int index) override;
    TrsCustomProperty* Items(int index) const;
    TrsCustomProperty* AddItem();

private:
    std::vector<TrsCustomProperty*> items_;
};

class TrsCustomProperties : public TrsAddInProperties {
    Q_OBJECT
    Q_PROPERTY(TrsPropertyItems* Properties READ Properties)
public:
    explicit TrsCustomProperties(QObject* owner = nullptr);

    TrsPropertyItems* Properties() const { return properties_; }

    Variant GetPropertyValue(
        TrsComponent* Sender, QObject* Instance, const std::string& PropName) override;
    void SetPropertyValue(TrsComponent* Sender, QObject* Instance, const std::string& PropName,
        const Variant& Value) override;

private:
    TrsCustomProperty* FindItem(QObject* instance, const std::string& name) const;

    TrsPropertyItems* properties_;
};
