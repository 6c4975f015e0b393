#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zt {

// A compiled and linked OpenGL ES shader program. Made, linked, used and
// destroyed on the context queue (the destructor goes there itself).
// Attribute locations are the order in which attributes were added.
class GLProgram {
public:
    // The info-log queries of GL (glGetShaderiv and glGetShaderInfoLog, or
    // the program ones), in GL's own types.
    using InfoCallback = void (*)(unsigned int object, unsigned int name, int* value);
    using LogFunction = void (*)(unsigned int object, int bufferSize, int* length, char* log);

    // A failed compile is logged and shows as a failed link later.
    GLProgram(const std::string& vertexShaderString, const std::string& fragmentShaderString);
    // Sources from the main bundle: "<name>.fsh", "<name>.vsh".
    static std::shared_ptr<GLProgram> initWithVertexShaderStringFragmentShaderFilename(
        const std::string& vertexShaderString, const std::string& fragmentShaderFilename);
    static std::shared_ptr<GLProgram> initWithVertexShaderFilename(
        const std::string& vertexShaderFilename, const std::string& fragmentShaderFilename);
    ~GLProgram();
    GLProgram(const GLProgram&) = delete;
    GLProgram& operator=(const GLProgram&) = delete;

    void addAttribute(const std::string& attributeName);
    // The attribute's location, or plat::kNotFound when it was never added.
    int64_t attributeIndex(const std::string& attributeName) const;
    // The uniform's location, -1 when the program has no such active uniform.
    // Any thread (asks GL on the context queue).
    int32_t uniformIndex(const std::string& uniformName) const;
    // On success the shaders are deleted and the program is initialized.
    bool link();
    void use();
    void validate();

    std::optional<std::string> vertexShaderLog() const;
    std::optional<std::string> fragmentShaderLog() const;
    std::optional<std::string> programLog() const;
    // None when the object's log is empty.
    static std::optional<std::string> logForOpenGLObject(
        unsigned int object, InfoCallback infoCallback, LogFunction logFunction);

    bool initialized() const { return _initialized; }
    uint32_t program() const { return _program; }

private:
    static bool compileShader(uint32_t* shader, unsigned int type, const std::string& source);

    std::vector<std::string> attributes;
    std::vector<std::string> uniforms;
    uint32_t _program = 0;
    uint32_t vertShader = 0;
    uint32_t fragShader = 0;
    bool _initialized = false;
};

// The text of a shader resource of the main bundle, empty when missing.
std::string shaderStringFromResource(const std::string& name, const std::string& type);

}  // namespace zt
