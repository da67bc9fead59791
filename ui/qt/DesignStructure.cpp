#include "ui/qt/DesignStructure.h"

#include "design/Structure.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace foliant::qt {

namespace {

// Where an item's place in the report is kept.
constexpr int kAreaRole = Qt::UserRole;
constexpr int kSectionRole = Qt::UserRole + 1;
constexpr int kObjectRole = Qt::UserRole + 2;

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

DesignSelection SelectionOf(const QTreeWidgetItem& item) {
    DesignSelection selection;
    const QVariant section = item.data(0, kSectionRole);
    if (!section.isValid()) {
        return selection; // an area
    }
    const int area = item.data(0, kAreaRole).toInt();
    selection.section = design::SectionPath{area, section.toInt()};
    if (const QVariant object = item.data(0, kObjectRole); object.isValid()) {
        selection.object = design::ObjectPath{area, section.toInt(), object.toInt()};
    }
    return selection;
}

} // namespace

DesignStructure::DesignStructure(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("structure"));
    setColumnCount(2);
    setHeaderLabels({tr("Part"), tr("Field or text")});
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemSelectionChanged, this, &DesignStructure::ItemChanged);
}

void DesignStructure::Rebuild(const engine::Report& report) {
    const QList<QTreeWidgetItem*> chosen = selectedItems();
    const DesignSelection keep = chosen.isEmpty() ? DesignSelection{} : SelectionOf(*chosen[0]);
    quiet_ = true;
    clear();
    const auto& areas = report.Areas();
    for (std::size_t a = 0; a < areas.size(); ++a) {
        AddArea(*areas[a], static_cast<int>(a));
    }
    expandAll();
    quiet_ = false;
    Select(keep);
}

void DesignStructure::AddArea(const engine::Area& area, int areaIndex) {
    auto* areaItem = new QTreeWidgetItem(this, {Text(design::AreaCaption(area))});
    areaItem->setData(0, kAreaRole, areaIndex);
    const auto& sections = area.Sections();
    for (std::size_t s = 0; s < sections.size(); ++s) {
        auto* sectionItem =
            new QTreeWidgetItem(areaItem, {Text(design::SectionCaption(*sections[s]))});
        sectionItem->setData(0, kAreaRole, areaIndex);
        sectionItem->setData(0, kSectionRole, static_cast<int>(s));
        const auto& objects = sections[s]->Objects();
        for (std::size_t o = 0; o < objects.size(); ++o) {
            auto* item =
                new QTreeWidgetItem(sectionItem, {Text(design::ObjectKindName(*objects[o])),
                                                  Text(design::ObjectContent(*objects[o]))});
            item->setData(0, kAreaRole, areaIndex);
            item->setData(0, kSectionRole, static_cast<int>(s));
            item->setData(0, kObjectRole, static_cast<int>(o));
        }
    }
}

QTreeWidgetItem* DesignStructure::ItemFor(const DesignSelection& selection) const {
    if (!selection.section) {
        return nullptr;
    }
    QTreeWidgetItem* area = topLevelItem(selection.section->area);
    QTreeWidgetItem* section = area ? area->child(selection.section->section) : nullptr;
    if (section == nullptr || !selection.object) {
        return section;
    }
    return section->child(selection.object->object);
}

void DesignStructure::Select(const DesignSelection& selection) {
    quiet_ = true;
    clearSelection();
    if (QTreeWidgetItem* item = ItemFor(selection)) {
        item->setSelected(true);
        setCurrentItem(item);
        scrollToItem(item);
    }
    quiet_ = false;
}

void DesignStructure::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QTreeWidgetItem* item = currentItem();
    if (enter && item != nullptr && SelectionOf(*item).object) {
        emit GoToPage();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void DesignStructure::ItemChanged() {
    if (quiet_) {
        return;
    }
    const QList<QTreeWidgetItem*> chosen = selectedItems();
    emit Chosen(chosen.isEmpty() ? DesignSelection{} : SelectionOf(*chosen[0]));
}

} // namespace foliant::qt
