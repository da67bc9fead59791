#pragma once

#include <unordered_map>
#include <vector>

class QLineEdit;
class QObject;
class QTreeWidgetItem;
class QWidget;

namespace foliant::forms {
class Control;
class Form;
class Node;
} // namespace foliant::forms

namespace foliant::qt {

// Which widget shows which control of a form, and which tree item which node: the tables a
// form window's model-to-widget sync and its input translation share.
//
// It also knows when the widgets are being changed to show the model: their signals are then
// the model's own doing, not a person's input.
class FormWidgets {
public:
    explicit FormWidgets(forms::Form& form) : form_(&form) {}

    // The model form, or null once it has been destroyed (the tables are empty then).
    forms::Form* Form() const noexcept { return form_; }
    // Forgets the form and every widget: nothing may reach the model any more.
    void Detach();

    QWidget* Widget(const forms::Control& control) const;
    // The line edit a person types into: a text box's, or an editable combo box's; null for
    // any other control.
    QLineEdit* Edit(const forms::Control& control) const;
    // The control whose widget, list viewport or line edit `object` is; null for others.
    forms::Control* Owner(const QObject* object) const;
    // Every object Owner knows, to stop watching them.
    std::vector<QObject*> Watched() const;

    void Add(forms::Control& control, QWidget* widget);
    // Makes `object` (a part of the control's widget) lead to the control.
    void AddPart(QObject* object, forms::Control& control);
    // Sets the control's line edit (null: it has none), which then also leads to the control.
    // Called before a line edit goes away, never after.
    void SetEdit(forms::Control& control, QLineEdit* edit);

    QTreeWidgetItem* Item(const forms::Node& node) const;
    forms::Node* NodeOf(const QTreeWidgetItem* item) const;
    bool HasItem(const forms::Node& node) const { return items_.count(&node) != 0; }
    void AddItem(forms::Node& node, QTreeWidgetItem* item);
    // Forgets the items of `node` and its subtree (the caller deletes the widget item).
    void ForgetItems(const forms::Node& node);
    // Every node shown with its item.
    const std::unordered_map<const forms::Node*, QTreeWidgetItem*>& Items() const noexcept {
        return items_;
    }

    // Whether the widgets are being changed to show the model.
    bool Syncing() const noexcept { return syncing_ != 0; }

    // Marks a sync for as long as it lives; syncs nest.
    class SyncScope {
    public:
        explicit SyncScope(FormWidgets& widgets) : counter_(widgets.syncing_) { ++counter_; }
        ~SyncScope() { --counter_; }
        SyncScope(const SyncScope&) = delete;
        SyncScope& operator=(const SyncScope&) = delete;

    private:
        int& counter_;
    };

private:
    forms::Form* form_;
    std::unordered_map<const forms::Control*, QWidget*> widgets_;
    std::unordered_map<const forms::Control*, QLineEdit*> edits_;
    std::unordered_map<const QObject*, forms::Control*> owners_;
    std::unordered_map<const forms::Node*, QTreeWidgetItem*> items_;
    std::unordered_map<const QTreeWidgetItem*, forms::Node*> nodes_;
    int syncing_ = 0;
};

} // namespace foliant::qt
