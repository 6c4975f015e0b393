#include "glimage/GLProgram.h"

#include <GLES2/gl2.h>
#include <algorithm>

#include "glimage/GLImageContext.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Value.h"

namespace zt {

std::string shaderStringFromResource(const std::string& name, const std::string& type)
{
    auto path = plat::Bundle::mainBundle().pathForResource(name, type);
    if (!path)
        return {};
    auto contents = plat::readFile(*path);
    if (!contents.ok())
        return {};
    const auto& bytes = contents.value();
    return std::string(bytes.begin(), bytes.end());
}

GLProgram::GLProgram(const std::string& vertexShaderString, const std::string& fragmentShaderString)
{
    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        _program = glCreateProgram();
        if (!compileShader(&vertShader, GL_VERTEX_SHADER, vertexShaderString))
            plat::log("Failed to compile vertex shader");
        if (!compileShader(&fragShader, GL_FRAGMENT_SHADER, fragmentShaderString))
            plat::log("Failed to compile fragment shader");
        // A shader that failed still has a log worth keeping for the link failure.
        if (vertShader)
            glAttachShader(_program, vertShader);
        if (fragShader)
            glAttachShader(_program, fragShader);
    });
}

std::shared_ptr<GLProgram> GLProgram::initWithVertexShaderStringFragmentShaderFilename(
    const std::string& vertexShaderString, const std::string& fragmentShaderFilename)
{
    return std::make_shared<GLProgram>(vertexShaderString, shaderStringFromResource(fragmentShaderFilename, "fsh"));
}

std::shared_ptr<GLProgram> GLProgram::initWithVertexShaderFilename(
    const std::string& vertexShaderFilename, const std::string& fragmentShaderFilename)
{
    return std::make_shared<GLProgram>(
        shaderStringFromResource(vertexShaderFilename, "vsh"), shaderStringFromResource(fragmentShaderFilename, "fsh"));
}

GLProgram::~GLProgram()
{
    runSynchronouslyOnContextQueue([this] {
        GLImageContext::useImageProcessingContext();
        if (vertShader)
            glDeleteShader(vertShader);
        if (fragShader)
            glDeleteShader(fragShader);
        if (_program)
            glDeleteProgram(_program);
    });
}

namespace {

// Samplers default to low precision in fragment shaders, and llvmpipe then
// rounds every texel to a half float before the shader sees it: a cost on
// every read and no gain in exactness. The statement goes after the leading
// directives, which must come first.
std::string withFullPrecisionSamplers(const std::string& source)
{
    size_t insertAt = 0;
    while (insertAt < source.size()) {
        const size_t lineStart = source.find_first_not_of(" \t\r\n", insertAt);
        if (lineStart == std::string::npos || source[lineStart] != '#')
            break;
        const size_t lineEnd = source.find('\n', lineStart);
        insertAt = lineEnd == std::string::npos ? source.size() : lineEnd + 1;
    }
    std::string text = source.substr(0, insertAt);
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    text += "precision highp sampler2D;\n";
    text.append(source, insertAt, std::string::npos);
    return text;
}

}  // namespace

bool GLProgram::compileShader(uint32_t* shader, unsigned int type, const std::string& source)
{
    if (source.empty()) {
        plat::log("Failed to load vertex shader");
        return false;
    }
    *shader = glCreateShader(type);
    const std::string text = type == GL_FRAGMENT_SHADER ? withFullPrecisionSamplers(source) : source;
    const GLchar* textPointer = text.c_str();
    glShaderSource(*shader, 1, &textPointer, nullptr);
    glCompileShader(*shader);
    GLint status = GL_FALSE;
    glGetShaderiv(*shader, GL_COMPILE_STATUS, &status);
    if (status != GL_TRUE) {
        GLint logLength = 0;
        glGetShaderiv(*shader, GL_INFO_LOG_LENGTH, &logLength);
        if (logLength > 0) {
            std::string log(static_cast<size_t>(logLength), '\0');
            glGetShaderInfoLog(*shader, logLength, &logLength, log.data());
            log.resize(static_cast<size_t>(std::max(logLength, 0)));
            plat::log("Shader compile log:\n{}", log);
        }
    }
    return status == GL_TRUE;
}

void GLProgram::addAttribute(const std::string& attributeName)
{
    if (std::find(attributes.begin(), attributes.end(), attributeName) != attributes.end())
        return;
    attributes.push_back(attributeName);
    glBindAttribLocation(_program, static_cast<GLuint>(attributes.size() - 1), attributeName.c_str());
}

int64_t GLProgram::attributeIndex(const std::string& attributeName) const
{
    auto found = std::find(attributes.begin(), attributes.end(), attributeName);
    return found == attributes.end() ? plat::kNotFound : found - attributes.begin();
}

int32_t GLProgram::uniformIndex(const std::string& uniformName) const
{
    // Filters look their uniforms up while they are made, on any thread.
    int32_t location = -1;
    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        location = glGetUniformLocation(_program, uniformName.c_str());
    });
    return location;
}

bool GLProgram::link()
{
    glLinkProgram(_program);
    GLint status = GL_FALSE;
    glGetProgramiv(_program, GL_LINK_STATUS, &status);
    if (status == GL_FALSE)
        return false;
    if (vertShader) {
        glDeleteShader(vertShader);
        vertShader = 0;
    }
    if (fragShader) {
        glDeleteShader(fragShader);
        fragShader = 0;
    }
    _initialized = true;
    return true;
}

void GLProgram::use()
{
    glUseProgram(_program);
}

void GLProgram::validate()
{
    glValidateProgram(_program);
    if (auto log = programLog(); log && !log->empty())
        plat::log("Program validate log:\n{}", *log);
}

std::optional<std::string> GLProgram::logForOpenGLObject(
    unsigned int object, InfoCallback infoCallback, LogFunction logFunction)
{
    GLint logLength = 0;
    infoCallback(object, GL_INFO_LOG_LENGTH, &logLength);
    if (logLength < 1)
        return std::nullopt;
    std::string log(static_cast<size_t>(logLength), '\0');
    GLint written = 0;
    logFunction(object, logLength, &written, log.data());
    log.resize(static_cast<size_t>(std::clamp(written, 0, logLength)));
    return log;
}

std::optional<std::string> GLProgram::vertexShaderLog() const
{
    if (!vertShader)
        return std::nullopt;
    return logForOpenGLObject(vertShader, glGetShaderiv, glGetShaderInfoLog);
}

std::optional<std::string> GLProgram::fragmentShaderLog() const
{
    if (!fragShader)
        return std::nullopt;
    return logForOpenGLObject(fragShader, glGetShaderiv, glGetShaderInfoLog);
}

std::optional<std::string> GLProgram::programLog() const
{
    return logForOpenGLObject(_program, glGetProgramiv, glGetProgramInfoLog);
}

}  // namespace zt
