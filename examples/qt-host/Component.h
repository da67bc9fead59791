#pragma once

// The component as this program uses it: libFoliant.so's classes called through IDispatch,
// with the component's errors turned into exceptions.

#include "library/foliant.h"

#include <QString>
#include <stdexcept>

namespace qthost {

// An error the component raised: its number and description.
class ComponentError : public std::runtime_error {
public:
    ComponentError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number) {}
    int Number() const { return number_; }

private:
    int number_;
};

// One reference to an object of the component.
class Object {
public:
    Object() = default;
    explicit Object(IDispatch* adopted) : dispatch_(adopted) {}
    Object(const Object& other);
    Object& operator=(Object other);
    ~Object();

    IDispatch* Get() const { return dispatch_; }
    explicit operator bool() const { return dispatch_ != nullptr; }

private:
    IDispatch* dispatch_ = nullptr;
};

// A report made by the component's ReportOpener and the wizard run over it.
class Foliant {
public:
    // Creates a ReportOpener and a VRStandardWizard. Throws ComponentError when it cannot.
    Foliant();

    // A new columnar report over the SQLite database at path.
    Object NewReport(const QString& databasePath);
    // Shows the wizard over report, modal, and returns when it is closed.
    void RunWizard(const Object& report);
    // The report's structure as JSON text.
    QString DescribeReport(const Object& report);

private:
    Object opener_;
    Object wizard_;
};

} // namespace qthost
