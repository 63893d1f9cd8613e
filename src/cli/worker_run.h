#pragma once

#include "cli.h"
#include "common/worker.h"

namespace pelorus {

// Runs `body` on a worker and waits for it to end; Ctrl-C or a kill stops it as the Stop button
// does. Its status texts and progress are drawn as it reports them: until the run ends, the
// worker's thread is the only one that uses the console's Ui.
RunResult RunOnWorker(CliContext& context, const Worker::Body& body);

}  // namespace pelorus
