#include "GLImageTestSupport.h"

#include "glimage/GLImageContext.h"

namespace zt::test {

void drainContextQueue()
{
    runSynchronouslyOnContextQueue([] {});
}

}  // namespace zt::test
