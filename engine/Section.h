#pragma once

#include "engine/FieldDefinition.h"
#include "engine/List.h"
#include "engine/ReportObject.h"
#include "engine/core/Api.h"

#include <memory>
#include <string>
#include <vector>

namespace foliant::engine {

class Area;
class Report;

// Twips every new section is high.
inline constexpr int kDefaultSectionHeight = 240;

// A section of an area: a band of a given height holding report objects.
class FOLIANT_ENGINE_API Section : public automation::Object,
                                   public std::enable_shared_from_this<Section> {
public:
    // "D", "GH1"; a second section of an area would be "Da", "Db", …
    std::string Name() const;
    std::shared_ptr<Area> GetArea() const { return area_.lock(); }

    int SectionHeight() const { return height_; }
    void SetSectionHeight(int height);

    // Whether each time the section prints it starts a new page (unless the page holds
    // nothing below its page header yet).
    bool NewPageBefore() const { return newPageBefore_; }
    void SetNewPageBefore(bool newPage) { newPageBefore_ = newPage; }

    // The section's objects in the order they were placed.
    std::shared_ptr<ObjectList> SectionObjects();
    const std::vector<std::shared_ptr<ReportObject>>& Objects() const { return objects_; }

    // Places a field object showing the named field: a braced name ("{Orders.Amount}",
    // "{@Profit}", "{?Year}", "{#Total}", "{%Expr}"), a special field ("PrintDate") or a
    // group name ("GroupName ({Customer.Country})"). Width from the field's value type and
    // declared length, height 240. Throws when the name is unknown.
    std::shared_ptr<ReportObject> PlaceFieldObject(const std::string& fieldName, int left, int top);
    std::shared_ptr<ReportObject> PlaceFieldObject(const std::shared_ptr<FieldDefinition>& field,
                                                   int left, int top);
    std::shared_ptr<ReportObject> PlaceTextObject(const std::string& text, int left, int top);
    // Places a summary of the field: in a group header or footer it is that group's summary,
    // in the report header or footer a grand total. parameter: for correlation, covariance
    // and weighted average the second field's braced name; for percentile, Nth largest, Nth
    // smallest and Nth most frequent N (or P) from 1 up, where 0 or "" (nothing typed) stands
    // for 1 and a P above 100 counts as 100; empty otherwise. An identical summary of
    // the same group (or the same grand-total area) is shown again rather than made twice.
    std::shared_ptr<ReportObject> PlaceSummaryObject(const std::string& fieldName,
                                                     SummaryOperation operation, int left, int top,
                                                     const automation::Variant& parameter = {});
    std::shared_ptr<ReportObject> PlaceSummaryObject(const std::string& fieldName, int operation,
                                                     int left, int top,
                                                     const automation::Variant& parameter = {});
    // Removes the object. A summary no other object shows goes with it, with its sorts.
    void DiscardObject(const std::shared_ptr<ReportObject>& object);
    void DiscardObject(int index);

private:
    friend class Area;
    friend class Report;
    Section() = default;
    std::shared_ptr<Report> OwningReport() const;
    std::shared_ptr<ReportObject> Adopt(std::shared_ptr<ReportObject> object, int left, int top);
    // The area whose summaries a summary placed here belongs to; throws for other areas.
    std::shared_ptr<Area> SummaryAreaForPlacing(const Report& report) const;

    std::weak_ptr<Area> area_;
    int height_ = kDefaultSectionHeight;
    bool newPageBefore_ = false;
    std::vector<std::shared_ptr<ReportObject>> objects_;
};

using SectionList = ItemList<Section>;

} // namespace foliant::engine
