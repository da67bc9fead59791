#pragma once

#include "engine/FieldDefinition.h"
#include "engine/List.h"
#include "engine/ObjectFormat.h"
#include "engine/core/Api.h"
#include "engine/core/Types.h"

#include <memory>
#include <string>

namespace foliant::engine {

class Section;

// Twips the engine gives every new object's height.
inline constexpr int kDefaultObjectHeight = 240;

// A report object: a field object showing a field definition, or a text object. Positions
// and sizes in twips.
class FOLIANT_ENGINE_API ReportObject : public automation::Object {
public:
    ObjectKind Kind() const { return kind_; }

    // Field objects: the field definition shown (the same as GetFieldDefinition).
    std::shared_ptr<FieldDefinition> field() const;
    std::shared_ptr<FieldDefinition> GetFieldDefinition() const { return field(); }
    // Whether this is a field object showing that definition.
    bool Shows(const FieldDefinition& definition) const {
        return kind_ == ObjectKind::Field && field_.get() == &definition;
    }
    // Text objects: the text.
    std::string text() const;
    void SetText(const std::string& text);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int ObjectWidth() const { return width_; }
    int ObjectHeight() const { return height_; }
    void SetLeft(int left);
    void SetTop(int top);
    void SetObjectWidth(int width);
    void SetObjectHeight(int height);

    HorizontalAlignment HorizontalAlign() const { return align_; }
    void SetHorizontalAlign(HorizontalAlignment align);
    void SetHorizontalAlign(int align);

    // Font and colour choices of this object over the report's style. Throws, changing
    // nothing, for a family the painters do not know or a size outside 4 to 72 points.
    const ObjectFormat& Format() const { return format_; }
    void SetFormat(const ObjectFormat& format);

    // The section holding the object; null after it was discarded.
    std::shared_ptr<Section> GetSection() const { return section_.lock(); }
    // "the field object {Orders.Amount} in section D", for messages.
    std::string Describe() const;

private:
    friend class Section;
    friend class Report;
    ReportObject() = default;
    void CheckDimension(const char* what, int value, int minimum) const;

    ObjectKind kind_ = ObjectKind::Text;
    std::shared_ptr<FieldDefinition> field_;
    std::string text_;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = kDefaultObjectHeight;
    HorizontalAlignment align_ = HorizontalAlignment::Default;
    ObjectFormat format_;
    std::weak_ptr<Section> section_;
};

using ObjectList = ItemList<ReportObject>;

} // namespace foliant::engine
