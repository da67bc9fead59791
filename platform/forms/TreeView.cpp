#include "platform/forms/TreeView.h"

#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"

#include <algorithm>
#include <unordered_set>

namespace foliant::forms {

using What = ChangeEvent::What;

// --- Node ---------------------------------------------------------------------------------

void Node::Announce() {
    tree_->AnnounceNode(What::NodeChanged, this);
}

void Node::SetText(std::string text) {
    if (text_ != text) {
        text_ = std::move(text);
        Announce();
    }
}

void Node::SetTag(std::string tag) {
    if (tag_ != tag) {
        tag_ = std::move(tag);
        Announce();
    }
}

void Node::SetImage(std::string key) {
    if (image_ != key) {
        image_ = std::move(key);
        Announce();
    }
}

void Node::SetExpanded(bool expanded) {
    if (expanded_ != expanded) {
        expanded_ = expanded;
        Announce();
    }
}

bool Node::Selected() const noexcept {
    return tree_->SelectedItem() == this;
}

void Node::SetSelected(bool selected) {
    if (selected) {
        tree_->SetSelectedItem(this);
    } else if (Selected()) {
        tree_->SetSelectedItem(nullptr);
    }
}

void Node::UserSetExpanded(bool expanded) {
    tree_->RequireUsable(expanded ? "expand a node of" : "collapse a node of");
    SetExpanded(expanded);
}

std::vector<Node*>& Node::Siblings() const {
    return parent_ != nullptr ? parent_->children_ : tree_->nodes_.roots_;
}

Node* Node::Next() const {
    auto& siblings = Siblings();
    auto it = std::find(siblings.begin(), siblings.end(), this);
    return (it == siblings.end() || it + 1 == siblings.end()) ? nullptr : *(it + 1);
}

Node* Node::Previous() const {
    auto& siblings = Siblings();
    auto it = std::find(siblings.begin(), siblings.end(), this);
    return (it == siblings.end() || it == siblings.begin()) ? nullptr : *(it - 1);
}

Node* Node::FirstSibling() const {
    return Siblings().front();
}
Node* Node::LastSibling() const {
    return Siblings().back();
}

// --- Nodes --------------------------------------------------------------------------------

Node& Nodes::Add(Node* relative, Relationship relationship, std::string key, std::string text,
                 std::string image) {
    if (!key.empty()) {
        for (const auto& node : nodes_) {
            if (node->key_ == key) {
                throw FormsError(35602, "Key is not unique in collection: the tree '" +
                                            tree_.Name() + "' already has a node \"" + key + "\".");
            }
        }
    }
    if (relative != nullptr && &relative->Tree() != &tree_) {
        throw FormsError(kElementNotFound,
                         "Element not found: the relative node is not a node of '" + tree_.Name() +
                             "'.");
    }
    Node* parent = nullptr;
    std::vector<Node*>* siblings = &roots_;
    std::size_t position = roots_.size();
    if (relative == nullptr) {
        if (relationship == Relationship::First) {
            position = 0;
        }
    } else {
        switch (relationship) {
        case Relationship::Child:
            parent = relative;
            siblings = &relative->children_;
            position = siblings->size();
            break;
        case Relationship::First:
        case Relationship::Last:
        case Relationship::Next:
        case Relationship::Previous: {
            parent = relative->parent_;
            siblings = &relative->Siblings();
            auto at = std::find(siblings->begin(), siblings->end(), relative);
            const auto index = static_cast<std::size_t>(at - siblings->begin());
            position = relationship == Relationship::First  ? 0
                       : relationship == Relationship::Last ? siblings->size()
                       : relationship == Relationship::Next ? index + 1
                                                            : index;
            break;
        }
        default:
            throw FormsError(kInvalidRelationship,
                             "Invalid relationship for a node of '" + tree_.Name() + "'.");
        }
    }
    auto owned = std::unique_ptr<Node>(new Node(tree_));
    Node* node = owned.get();
    node->key_ = std::move(key);
    node->text_ = std::move(text);
    node->image_ = std::move(image);
    node->parent_ = parent;
    nodes_.push_back(std::move(owned));
    node->index_ = Count();
    siblings->insert(siblings->begin() + static_cast<std::ptrdiff_t>(position), node);
    if (tree_.addingAtOnce_ > 0) {
        tree_.addedAtOnce_ = true;
    } else {
        tree_.AnnounceNode(What::NodeAdded, node);
    }
    return *node;
}

void Nodes::Remove(int index) {
    Remove(Item(index));
}

void Nodes::Remove(Node& node) {
    if (&node.Tree() != &tree_) {
        throw FormsError(kElementNotFound,
                         "Element not found: the node is not a node of '" + tree_.Name() + "'.");
    }
    tree_.AnnounceNode(What::NodeRemoving, &node);
    std::unordered_set<const Node*> doomed;
    std::vector<const Node*> pending{&node};
    while (!pending.empty()) {
        const Node* n = pending.back();
        pending.pop_back();
        doomed.insert(n);
        pending.insert(pending.end(), n->children_.begin(), n->children_.end());
    }
    auto& siblings = node.Siblings();
    siblings.erase(std::find(siblings.begin(), siblings.end(), &node));
    const bool dropSelection = doomed.count(tree_.selected_) != 0;
    if (dropSelection) {
        tree_.selected_ = nullptr;
    }
    std::erase_if(nodes_, [&](const auto& n) { return doomed.count(n.get()) != 0; });
    Renumber();
    if (dropSelection) {
        tree_.AnnounceNode(What::SelectedNode, nullptr);
    }
}

void Nodes::Clear() {
    while (!roots_.empty()) {
        Remove(*roots_.back());
    }
}

void Nodes::Renumber() {
    int index = 0;
    for (auto& node : nodes_) {
        node->index_ = ++index;
    }
}

Node& Nodes::Item(int index) const {
    if (index < 1 || index > Count()) {
        throw FormsError(35600, "Index out of bounds: the tree '" + tree_.Name() +
                                    "' has no node " + std::to_string(index) + " (it has " +
                                    std::to_string(Count()) + ").");
    }
    return *nodes_[static_cast<std::size_t>(index - 1)];
}

Node& Nodes::Item(const std::string& key) const {
    for (const auto& node : nodes_) {
        if (!key.empty() && node->key_ == key) {
            return *node;
        }
    }
    throw FormsError(kElementNotFound, "Element not found: the tree '" + tree_.Name() +
                                           "' has no node \"" + key + "\".");
}

// --- TreeView -----------------------------------------------------------------------------

TreeView::TreeView(Form& form, std::string name)
    : Control(form, std::move(name), ControlKind::TreeView), nodes_(*this) {}

TreeView::~TreeView() = default;

void TreeView::SetImageList(forms::ImageList* list) {
    if (imageList_ == list) {
        return;
    }
    imageList_ = list;
    Announce(What::ImageList);
}

void TreeView::SetSelectedItem(Node* node) {
    if (node != nullptr && &node->Tree() != this) {
        throw FormsError(kElementNotFound,
                         "Element not found: the node is not a node of '" + Name() + "'.");
    }
    if (selected_ == node) {
        return;
    }
    selected_ = node;
    AnnounceNode(What::SelectedNode, node);
}

void TreeView::AddNodesAtOnce(const std::function<void()>& change) {
    struct Batch {
        TreeView& tree;
        ~Batch() {
            if (--tree.addingAtOnce_ == 0 && tree.addedAtOnce_) {
                tree.addedAtOnce_ = false;
                tree.AnnounceNode(What::NodesAdded, nullptr);
            }
        }
    };
    ++addingAtOnce_;
    const Batch batch{*this};
    change();
}

void TreeView::UserClickNode(Node& node) {
    RequireUsable("click a node of");
    if (&node.Tree() != this) {
        throw UserActionRefused("Cannot click the node: it is not a node of '" + Name() + "'.");
    }
    Parent().FocusChanged(this);
    SetSelectedItem(&node);
    if (NodeClick) {
        NodeClick(node);
    }
    Run(Click);
}

} // namespace foliant::forms
