#include "app/Headless.h"

#include "ui/HeadlessRender.h"
#include "ui/HeadlessView3d.h"

namespace tervane {

namespace {

HeadlessJob jobOf(const CommandLine& line)
{
    HeadlessJob job;
    job.file = line.file;
    job.networkKind = line.networkKind;
    job.seed = line.seed;
    job.panel = line.panel;
    job.pngPath = line.pngPath;
    job.bmpPath = line.bmpPath;
    return job;
}

} // namespace

int runRender(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    HeadlessJob job = jobOf(line);
    if (job.file)
        job.file = dialogPath(*job.file);
    return renderHeadless(job, out, err);
}

int runPlay(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    return playHeadless(jobOf(line), out, err);
}

int runView3d(const CommandLine& line, std::ostream& out, std::ostream& err)
{
    View3dJob job = line.view3d;
    job.file = dialogPath(job.file);
    return view3dHeadless(job, out, err);
}

} // namespace tervane
