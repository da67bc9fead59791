#pragma once

// The design window's structure panel: the report's areas, their sections and each section's
// objects (kind, and field or text), as a tree. Choosing an item tells the window; the window
// tells the panel what is chosen on the page. Enter on an object goes to the page.

#include "design/Edit.h"

#include <QTreeWidget>

#include <optional>

namespace foliant::qt {

// What is chosen in the design window: an object, or a section (with no object).
struct DesignSelection {
    std::optional<design::ObjectPath> object;
    std::optional<design::SectionPath> section;
    friend bool operator==(const DesignSelection&, const DesignSelection&) = default;
};

class DesignStructure : public QTreeWidget {
    Q_OBJECT

public:
    explicit DesignStructure(QWidget* parent = nullptr);

    // Lists the report's parts again (after an edit or a reload), keeping the choice.
    void Rebuild(const engine::Report& report);
    // Marks the chosen part without telling anyone.
    void Select(const DesignSelection& selection);
    // The item of an object or a section; null when there is none.
    QTreeWidgetItem* ItemFor(const DesignSelection& selection) const;

signals:
    void Chosen(const DesignSelection& selection);
    // Enter on an object: the person wants to work on it on the page (arrow keys move it).
    void GoToPage();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void AddArea(const engine::Area& area, int areaIndex);
    void ItemChanged();

    bool quiet_ = false;
};

} // namespace foliant::qt
