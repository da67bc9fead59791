#include "ui/qt/FormWidgets.h"

#include "platform/forms/TreeView.h"

#include <QLineEdit>
#include <QWidget>

namespace foliant::qt {

namespace {

template <typename Map, typename Key> auto Find(const Map& map, const Key& key) {
    auto it = map.find(key);
    return it == map.end() ? nullptr : it->second;
}

} // namespace

void FormWidgets::Detach() {
    form_ = nullptr;
    widgets_.clear();
    edits_.clear();
    owners_.clear();
    items_.clear();
    nodes_.clear();
}

QWidget* FormWidgets::Widget(const forms::Control& control) const {
    return Find(widgets_, &control);
}

QLineEdit* FormWidgets::Edit(const forms::Control& control) const {
    return Find(edits_, &control);
}

forms::Control* FormWidgets::Owner(const QObject* object) const {
    return Find(owners_, object);
}

std::vector<QObject*> FormWidgets::Watched() const {
    std::vector<QObject*> objects;
    objects.reserve(owners_.size());
    for (const auto& [object, control] : owners_) {
        objects.push_back(const_cast<QObject*>(object));
    }
    return objects;
}

void FormWidgets::Add(forms::Control& control, QWidget* widget) {
    widgets_[&control] = widget;
    AddPart(widget, control);
}

void FormWidgets::AddPart(QObject* object, forms::Control& control) {
    owners_[object] = &control;
}

void FormWidgets::SetEdit(forms::Control& control, QLineEdit* edit) {
    if (QLineEdit* old = Edit(control)) {
        owners_.erase(old);
    }
    if (edit == nullptr) {
        edits_.erase(&control);
        return;
    }
    edits_[&control] = edit;
    AddPart(edit, control);
}

QTreeWidgetItem* FormWidgets::Item(const forms::Node& node) const {
    return Find(items_, &node);
}

forms::Node* FormWidgets::NodeOf(const QTreeWidgetItem* item) const {
    return Find(nodes_, item);
}

void FormWidgets::AddItem(forms::Node& node, QTreeWidgetItem* item) {
    items_[&node] = item;
    nodes_[item] = &node;
}

void FormWidgets::ForgetItems(const forms::Node& node) {
    std::vector<const forms::Node*> pending{&node};
    while (!pending.empty()) {
        const forms::Node* n = pending.back();
        pending.pop_back();
        if (auto found = items_.find(n); found != items_.end()) {
            nodes_.erase(found->second);
            items_.erase(found);
        }
        pending.insert(pending.end(), n->ChildNodes().begin(), n->ChildNodes().end());
    }
}

} // namespace foliant::qt
