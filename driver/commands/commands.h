// The subcommands of lodtool. Each returns the process exit status.
#pragma once

namespace mevlo {

// lodtool list MODEL.lod
int runListCommand(const char* modelPath);
// lodtool repack IN.lod OUT.lod
int runRepackCommand(const char* inPath, const char* outPath);
// lodtool export [options] MODEL.lod OUT | -o OUTDIR MODEL.lod...; argv
// holds the arguments after the command word.
int runExportCommand(int argc, char** argv);
// lodtool import [options] MODEL.glb|MODEL.gltf OUT.lod | -o OUTDIR
// MODEL...; argv holds the arguments after the command word.
int runImportCommand(int argc, char** argv);
// lodtool info [--json] [--all] MODEL.lod...; argv holds the arguments
// after the command word.
int runInfoCommand(int argc, char** argv);
// lodtool view [--textures PATTERN] MODEL.lod [OUT.html]; argv holds the
// arguments after the command word.
int runViewCommand(int argc, char** argv);

}  // namespace mevlo
