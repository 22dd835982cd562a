#include "editor/Publication.h"

namespace kvr {

SourceText PublicationRefusedText() {
    return KVR_TEXT("MainForm",
                    "The work directory could not be published in the registry "
                    "(HKEY_LOCAL_MACHINE\\SOFTWARE\\KVRPath): that needs an administrator. "
                    "The aliases can be edited all the same");
}

}  // namespace kvr
