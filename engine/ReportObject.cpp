#include "engine/ReportObject.h"

#include "engine/Section.h"
#include "engine/core/EngineError.h"

#include <string>

namespace foliant::engine {

std::shared_ptr<FieldDefinition> ReportObject::field() const {
    if (kind_ != ObjectKind::Field) {
        throw EngineError("The text object \"" + text_ + "\"" +
                          (section_.lock() ? " in section " + section_.lock()->Name() : "") +
                          " shows no field.");
    }
    return field_;
}

std::string ReportObject::text() const {
    if (kind_ != ObjectKind::Text) {
        throw EngineError(Describe() + " has no text: it is a field object.");
    }
    return text_;
}

void ReportObject::SetText(const std::string& text) {
    if (kind_ != ObjectKind::Text) {
        throw EngineError("Cannot set the text of " + Describe() + ": it is a field object.");
    }
    text_ = text;
}

std::string ReportObject::Describe() const {
    std::string what = kind_ == ObjectKind::Field ? "the field object " + field_->Name()
                                                  : "the text object \"" + text_ + "\"";
    if (const auto s = section_.lock()) {
        what += " in section " + s->Name();
    }
    return what;
}

void ReportObject::CheckDimension(const char* what, int value, int minimum) const {
    if (value < minimum) {
        throw EngineError(std::string("The ") + what + " of " + Describe() + " cannot be " +
                          std::to_string(value) + ": it must be at least " +
                          std::to_string(minimum) + " twips.");
    }
}

void ReportObject::SetLeft(int left) {
    CheckDimension("left position", left, 0);
    left_ = left;
}

void ReportObject::SetTop(int top) {
    CheckDimension("top position", top, 0);
    top_ = top;
}

void ReportObject::SetObjectWidth(int width) {
    CheckDimension("width", width, 1);
    width_ = width;
}

void ReportObject::SetObjectHeight(int height) {
    CheckDimension("height", height, 1);
    height_ = height;
}

void ReportObject::SetHorizontalAlign(HorizontalAlignment align) {
    SetHorizontalAlign(static_cast<int>(align));
}

void ReportObject::SetHorizontalAlign(int align) {
    if (align < 0 || align > 3) {
        throw EngineError("Alignment " + std::to_string(align) + " of " + Describe() +
                          " is not one of 0 default, 1 left, 2 centre, 3 right.");
    }
    align_ = static_cast<HorizontalAlignment>(align);
}

void ReportObject::SetFormat(const ObjectFormat& format) {
    if (format.fontFamily && !IsKnownFontFamily(*format.fontFamily)) {
        throw EngineError("The font family \"" + *format.fontFamily + "\" of " + Describe() +
                          " is not one of Sans, Serif and Mono.");
    }
    if (format.fontSize &&
        (*format.fontSize < kSmallestFontSize || *format.fontSize > kLargestFontSize)) {
        throw EngineError("The font size of " + Describe() + " cannot be " +
                          std::to_string(*format.fontSize) + " twips: it must be " +
                          std::to_string(kSmallestFontSize) + " to " +
                          std::to_string(kLargestFontSize) + " (4 to 72 points).");
    }
    format_ = format;
}

} // namespace foliant::engine
