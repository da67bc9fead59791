#pragma once

#include "platform/forms/Control.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace foliant::forms {

class ImageList;
class TreeView;

// Where Nodes::Add puts a node relative to another.
enum class Relationship { First = 0, Last = 1, Next = 2, Previous = 3, Child = 4 };

// A node of a tree view. Owned by its tree's Nodes collection; a removed node is destroyed.
class Node {
public:
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    TreeView& Tree() const noexcept { return *tree_; }
    // 1-based position in the tree's collection (insertion order, not tree order).
    int Index() const noexcept { return index_; }
    const std::string& Key() const noexcept { return key_; }
    const std::string& Text() const noexcept { return text_; }
    void SetText(std::string text);
    const std::string& Tag() const noexcept { return tag_; }
    void SetTag(std::string tag);
    // The image list key of the node's icon ("" for none).
    const std::string& Image() const noexcept { return image_; }
    void SetImage(std::string key);
    bool Expanded() const noexcept { return expanded_; }
    void SetExpanded(bool expanded);
    // Whether this is the tree's selected node; setting true selects it (runs nothing).
    bool Selected() const noexcept;
    void SetSelected(bool selected);

    Node* Parent() const noexcept { return parent_; }
    Node* Child() const noexcept { return children_.empty() ? nullptr : children_.front(); }
    Node* Next() const;
    Node* Previous() const;
    Node* FirstSibling() const;
    Node* LastSibling() const;
    int Children() const noexcept { return static_cast<int>(children_.size()); }
    // The node's children in tree order.
    const std::vector<Node*>& ChildNodes() const noexcept { return children_; }

    // A person expands or collapses the node. Runs nothing.
    void UserSetExpanded(bool expanded);

private:
    friend class Nodes;
    explicit Node(TreeView& tree) : tree_(&tree) {}
    void Announce();
    std::vector<Node*>& Siblings() const;

    TreeView* tree_;
    int index_ = 0;
    std::string key_;
    std::string text_;
    std::string tag_;
    std::string image_;
    bool expanded_ = false;
    Node* parent_ = nullptr;
    std::vector<Node*> children_;
};

// The 1-based node collection of a tree view, in insertion order.
class Nodes {
public:
    explicit Nodes(TreeView& tree) : tree_(tree) {}

    // Adds a node. Without a relative it becomes the last root node (First puts it first).
    // With one: Child makes it the relative's last child; First, Last, Next and Previous place
    // it among the relative's siblings. Throws FormsError 35602 for a key already in use, 35605 for
    // a bad relationship.
    Node& Add(Node* relative, Relationship relationship, std::string key, std::string text,
              std::string image = {});
    // The same with the relative given by its 1-based index.
    Node& Add(int relativeIndex, Relationship relationship, std::string key, std::string text,
              std::string image = {}) {
        return Add(&Item(relativeIndex), relationship, std::move(key), std::move(text),
                   std::move(image));
    }
    Node& Add(std::string text, std::string image = {}) {
        return Add(nullptr, Relationship::Last, {}, std::move(text), std::move(image));
    }
    // Removes a node with its whole subtree; the indexes after it move down.
    void Remove(int index);
    void Remove(Node& node);
    void Clear();
    int Count() const noexcept { return static_cast<int>(nodes_.size()); }
    // Throws FormsError 35600 for an index outside 1..Count.
    Node& Item(int index) const;
    Node& operator()(int index) const { return Item(index); }
    // Throws FormsError 35601 for an unknown key.
    Node& Item(const std::string& key) const;
    // The root nodes in tree order.
    const std::vector<Node*>& Roots() const noexcept { return roots_; }

private:
    friend class Node;
    void Renumber();
    TreeView& tree_;
    std::vector<std::unique_ptr<Node>> nodes_;
    std::vector<Node*> roots_;
};

class TreeView : public Control {
public:
    TreeView(Form& form, std::string name);
    ~TreeView() override;

    forms::Nodes& Nodes() noexcept { return nodes_; }
    const forms::Nodes& Nodes() const noexcept { return nodes_; }

    forms::ImageList* ImageList() const noexcept { return imageList_; }
    void SetImageList(forms::ImageList* list);

    Node* SelectedItem() const noexcept { return selected_; }
    // Shows the node as selected; runs nothing. The node must belong to this tree.
    void SetSelectedItem(Node* node);

    // Runs `change` and announces the nodes it adds as one NodesAdded when it ends (also when it
    // throws) instead of one NodeAdded each, so that a front end shows them in one go.
    void AddNodesAtOnce(const std::function<void()>& change);

    // A person clicks a node: it becomes selected, then NodeClick runs, then Click.
    void UserClickNode(Node& node);
    // A person double-clicks the selected node: DblClick runs.
    using Control::UserDblClick;

    std::function<void(Node& node)> NodeClick;

private:
    friend class Node;
    friend class forms::Nodes;
    void AnnounceNode(ChangeEvent::What what, Node* node) { Announce(what, -1, node); }
    forms::Nodes nodes_;
    forms::ImageList* imageList_ = nullptr;
    Node* selected_ = nullptr;
    // Nesting depth of AddNodesAtOnce, and whether a node was added meanwhile.
    int addingAtOnce_ = 0;
    bool addedAtOnce_ = false;
};

} // namespace foliant::forms
