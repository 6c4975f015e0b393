#include "app/AppCaptureSources.h"

#include "capture/CaptureSources.h"
#include "greenscreen/CaptureChromaKeyCamera.h"

namespace zt {

void registerAppCaptureSources()
{
    CaptureSources::setProvidedSources({[] { return std::make_shared<CaptureChromaKeyCamera>(); }});
}

}  // namespace zt
