#pragma once
#include <cstdint>
#include <utility>

namespace zt {

enum class GLObjectKind { Texture, Framebuffer, Renderbuffer };

// The name of one GL texture, framebuffer or renderbuffer with a single owner: generated,
// used and deleted on the context queue with the pipeline's context
// current. Deleting goes to the context queue itself (inline when already
// there), so an owner may be let go on any thread. Empty (name 0) when
// made empty or moved from.
template <GLObjectKind Kind> class GLObject {
public:
    GLObject() = default;
    // Context queue.
    static GLObject generate();
    // Takes over a name made elsewhere (a caller's texture): deleted with this.
    static GLObject adopt(uint32_t name) { return GLObject(name); }
    ~GLObject() { reset(); }
    GLObject(GLObject&& other) noexcept
        : _name(std::exchange(other._name, 0))
    {
    }
    GLObject& operator=(GLObject&& other) noexcept
    {
        if (this != &other) {
            reset();
            _name = std::exchange(other._name, 0);
        }
        return *this;
    }
    GLObject(const GLObject&) = delete;
    GLObject& operator=(const GLObject&) = delete;

    uint32_t name() const { return _name; }
    explicit operator bool() const { return _name != 0; }
    // Deletes the object now and leaves this empty.
    void reset();

private:
    explicit GLObject(uint32_t name)
        : _name(name)
    {
    }
    uint32_t _name = 0;
};

using GLTexture = GLObject<GLObjectKind::Texture>;
using GLFramebuffer = GLObject<GLObjectKind::Framebuffer>;
using GLRenderbuffer = GLObject<GLObjectKind::Renderbuffer>;

extern template class GLObject<GLObjectKind::Texture>;
extern template class GLObject<GLObjectKind::Framebuffer>;
extern template class GLObject<GLObjectKind::Renderbuffer>;

}  // namespace zt
