// The viewer bundle of a lodtool built without Node.js and npm, or whose
// npm install failed: empty, and `lodtool view` says so.
#include "driver/commands/viewer_bundle.h"

namespace mevlo {

ViewerBundle viewerBundle() { return {}; }

}  // namespace mevlo
