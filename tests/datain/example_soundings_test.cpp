// examples/cpt-four-methods-si states its sounding three ways: inline in project.toml, as a GEF
// file (project-gef.toml) and as an AGS4 file (project-ags.toml). All three give the example's
// report and plot-data file.
#include <gtest/gtest.h>

#if VORTA_PROJECT_FILES
#include "vorta/project.h"
#include "support/test_support.h"

namespace vorta {
namespace {

TEST(ExampleSoundings, GefAndAgs4FilesGiveTheReportOfTheInlineSounding) {
    const std::string folder = "examples/cpt-four-methods-si/";
    const std::string expectedReport = test::reportAfterHeader(test::readFile(test::sourcePath(folder + "expected/report.out")));
    const std::string expectedPlot = test::readFile(test::sourcePath(folder + "expected/plot.plt"));
    for (const char* name : {"project.toml", "project-gef.toml", "project-ags.toml"}) {
        const Analysis a = project::readProjectFile(test::sourcePath(folder + name));
        ASSERT_EQ(a.cpt.points.size(), 42u) << name;
        const test::ModelRun run = test::runModel(a);
        EXPECT_EQ(run.status, kRunCompleted) << name;
        EXPECT_EQ(run.report, expectedReport) << name;
        EXPECT_EQ(run.plot, expectedPlot) << name;
    }
}

}  // namespace
}  // namespace vorta
#endif
