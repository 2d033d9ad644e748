// The viewer's script and style that `lodtool view` puts into its pages.
// The build bundles viewer/ and compiles the result into lodtool; a build
// without Node.js (or whose npm install failed) has an empty bundle.
#pragma once

#include <cstddef>

namespace mevlo {

struct ViewerBundle {
    const char* script = nullptr;  // null: built without the viewer
    size_t scriptSize = 0;
    const char* style = nullptr;
    size_t styleSize = 0;
};

ViewerBundle viewerBundle();

}  // namespace mevlo
