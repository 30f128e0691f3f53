// A workbench document with its driver, and readers of what its plots and cases hold.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "plot/CLogWindow.h"
#include "workbench/HeadlessWorkbench.h"

namespace vornex::test {

class WorkbenchTest : public ::testing::Test {
   protected:
    void SetUp() override {
        doc = HeadlessWorkbench::newDocument();
        ui = std::make_unique<HeadlessWorkbench>(*doc);
    }
    void TearDown() override {
        CLogWindow& log = CLogWindow::sharedLogWindowCtroller();
        log.orderOut();
        log.clearText();
    }

    const Form& form() const { return doc->form(); }
    const PlistValue& caseAt(int i) const { return doc->cases().at(i); }
    double key(int i, const std::string& k) const { return caseAt(i).get(k).toDouble(-999); }
    CPlotView& plot(const std::string& name) const { return *doc->plotNamed(name); }
    int countNamedPrefix(const std::string& plotName, const std::string& prefix) const {
        int n = 0;
        for (const auto& o : plot(plotName).graphObjects()) n += o->name().rfind(prefix, 0) == 0;
        return n;
    }
    // Objects that outlive a cycle (not named "t_...").
    std::size_t lasting(const std::string& plotName) const {
        return plot(plotName).graphObjects().size() - countNamedPrefix(plotName, "t_");
    }
    // Adds cases named "Run 1" ... "Run n" after the current one.
    void addRuns(int n) {
        for (int i = 1; i <= n; ++i) {
            ui->press("mAddButton");
            ui->type("mName", "Run " + std::to_string(i));
        }
    }

    std::unique_ptr<MyDocument> doc;
    std::unique_ptr<HeadlessWorkbench> ui;
};

}  // namespace vornex::test
