// The steps every command that makes a file from a model shares: judging a
// step that read the model's input, committing an output made from it, and
// the whole 3DS job that mevlo and lodtool export both run.
#pragma once

#include <cstdint>
#include <string>

#include "common/message_sink.h"
#include "io/atomic_output.h"

namespace mevlo {

class LodModel;

// How a job ended. A failure is one line; its subject says which file, if
// any, the command names in front of the reason.
struct JobResult {
    enum class Subject {
        Input,   // the input file; the reason does not name it
        Output,  // the output file; the reason does not name it
        Model,   // what the model holds ("Model too large: ..."); no file
        Named,   // the reason names its file itself (the errors of io/)
    };

    static JobResult failed(Subject subject, std::string reason) {
        JobResult result;
        result.ok = false;
        result.subject = subject;
        result.reason = std::move(reason);
        return result;
    }

    // The line lodtool prints after "lodtool: ": the reason, after the path
    // of the file it is about (the input for a model's failure).
    std::string line(const std::string& inPath, const std::string& outPath) const;

    bool ok = true;
    Subject subject = Subject::Named;
    std::string reason;
    // Triangles the written file holds (for a batch's summary).
    int64_t triangles = 0;
};

// The result of a step that read the model's input and failed with
// stepFailure ("" when it did not), a failure about subject. A part of a
// mapped input lost meanwhile explains any failure of the step, so it is
// reported instead.
JobResult afterReadingInput(const LodModel& model, const std::string& stepFailure,
                            JobResult::Subject subject = JobResult::Subject::Model);

// Commits an output whose bytes were read from the model's input while
// being written: only if the input stayed whole up to here.
JobResult commitReadingInput(const LodModel& model, AtomicOutput& output);

// The 3DS file of the model at outPath: convert, check the input, report
// dropped faces, create the output, write, check the input again, commit.
// With announce, also reports "Begin Write" before writing and the
// writer's "Objects built" line (the run of mevlo).
JobResult write3dsFile(const LodModel& model, const std::string& outPath, MessageSink& messages, bool announce);

}  // namespace mevlo
