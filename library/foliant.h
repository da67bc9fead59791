/*
 * libFoliant.so as a C program embeds it: the component's classes, their ProgIDs and the
 * dispatch ids of their members, and the numbers of the errors its wizard raises. The calling
 * conventions (GUIDs, VARIANTs, IDispatch, the four exports) are in foliant_automation.h.
 *
 * A host loads the library (dlopen, or links it), gets a class factory from DllGetClassObject,
 * creates a ReportOpener to make or open a report and a VRStandardWizard to run the wizard
 * over it, and calls both through IDispatch:
 *
 *   report = opener.NewReport("sales.db")        a new columnar report over a SQLite database
 *   wizard.VellumReport = report                 (DISPATCH_PROPERTYPUTREF)
 *   wizard.DisplayReportWizard()                 the dialog, modal, on the calling thread
 *   opener.DescribeReport(report)                the report as the wizard left it, as JSON
 *
 * DisplayReportWizard shows real windows when the process has a display: on the program's
 * QApplication when it runs one (called from that application's thread), else on one made for
 * the time of the call. With FOLIANT_WIZARD_SCRIPT naming a wizard script the run is headless,
 * driven by the script.
 */
#ifndef FOLIANT_H
#define FOLIANT_H

#include "platform/automation/foliant_automation.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The wizard: VellumReport (get; put by reference), DisplayReportWizard(). */
static const CLSID CLSID_VRStandardWizard FOLIANT_UNUSED = {
    0xCF7D18EEu, 0xAA07, 0x4DFF, {0x9D, 0xAE, 0xA5, 0xE4, 0x27, 0xC4, 0x1E, 0x25}};
#define FOLIANT_WIZARD_PROGID "geodyneFoliant.VRStandardWizard"
enum { DISPID_VellumReport = 0x68030000, DISPID_DisplayReportWizard = 0x60030001 };

/* Reports for hosts without their own report engine: NewReport(database path),
 * OpenReport(file), SaveReport(report, file), DescribeReport(report) -> JSON text. */
static const CLSID CLSID_ReportOpener FOLIANT_UNUSED = {
    0x78F8F7F1u, 0x8941, 0x4A85, {0x94, 0x4C, 0x10, 0x41, 0xAF, 0xF2, 0x73, 0xF6}};
#define FOLIANT_REPORT_OPENER_PROGID "geodyneFoliant.ReportOpener"
enum {
    DISPID_NewReport = 1,
    DISPID_OpenReport = 2,
    DISPID_SaveReport = 3,
    DISPID_DescribeReport = 4
};

/* Errors DisplayReportWizard raises (FoliantErrorNumber of its EXCEPINFO): the wizard cannot
 * be shown (no display and no script, another thread, a script that fails; the description
 * says which), and a call made while the wizard is open. */
enum { FOLIANT_ERROR_CANNOT_RUN = 5, FOLIANT_ERROR_ALREADY_OPEN = 400 };

#ifdef __cplusplus
}
#endif

#endif /* FOLIANT_H */
