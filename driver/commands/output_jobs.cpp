#include "driver/commands/output_jobs.h"

#include <cstdio>

#include "io/input_file.h"
#include "lod/lod_model.h"
#include "out3ds/convert.h"
#include "out3ds/scene.h"
#include "out3ds/write3ds.h"

namespace mevlo {

std::string JobResult::line(const std::string& inPath, const std::string& outPath) const {
    switch (subject) {
        case Subject::Input:
        case Subject::Model:
            return inPath + ": " + reason;
        case Subject::Output:
            return outPath + ": " + reason;
        default:
            return reason;
    }
}

JobResult afterReadingInput(const LodModel& model, const std::string& stepFailure, JobResult::Subject subject) {
    if (!model.input().intact()) return JobResult::failed(JobResult::Subject::Input, InputFile::kLostReason);
    if (!stepFailure.empty()) return JobResult::failed(subject, stepFailure);
    return JobResult{};
}

JobResult commitReadingInput(const LodModel& model, AtomicOutput& output) {
    if (!model.input().intact()) return JobResult::failed(JobResult::Subject::Input, InputFile::kLostReason);
    // A failed write was remembered by the output; commit reports it.
    std::string error;
    if (!output.commit(error)) return JobResult::failed(JobResult::Subject::Named, error);
    return JobResult{};
}

JobResult write3dsFile(const LodModel& model, const std::string& outPath, MessageSink& messages, bool announce) {
    Scene3ds scene;
    ConversionState conversion(scene);
    convertTree(model.root.get(), conversion);
    // What the walk read decides the messages and whether a file is made.
    JobResult result = afterReadingInput(model, conversion.failure);
    if (!result.ok) return result;
    if (conversion.droppedFaces > 0) {
        char line[80];
        std::snprintf(line, sizeof line, "Faces dropped: %lld (vertex index out of range)\n",
                      static_cast<long long>(conversion.droppedFaces));
        messages.message(line);
    }

    std::string error;
    AtomicOutput output;
    if (!output.open(outPath, error)) return JobResult::failed(JobResult::Subject::Named, error);
    // A failed write stops the stream; the commit reports why.
    if (announce) {
        messages.message("Begin Write\n");
        write3ds(scene, output, messages);
    } else {
        stream3ds(scene, [&output](const uint8_t* data, size_t size) { return output.write(data, size); });
    }
    // The vertices were read from the input while being written.
    result = commitReadingInput(model, output);
    if (!result.ok) return result;
    for (int32_t i = 0; i < scene.meshCount(); ++i) result.triangles += scene.mesh(i).faceCount();
    return result;
}

}  // namespace mevlo
