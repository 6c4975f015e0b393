#include "videoservice/VSGeo.h"

#include <cstdlib>

#include "platform/foundation/Log.h"
#include "videoservice/VSNamespaces.h"
#include "videoservice/VSNumberText.h"
#include "videoservice/VSUtilities.h"

namespace zt {

VS_DEFINE_CLASS(VSGeo, VSObject, nullptr, nullptr, nullptr)
VS_DEFINE_CLASS(VSGeoRSSPoint, VSGeo, kVSNamespaceGeoRSS, kVSNamespaceGeoRSSPrefix, "point")
VS_DEFINE_CLASS(VSGeoRSSWhere, VSGeo, kVSNamespaceGeoRSS, kVSNamespaceGeoRSSPrefix, "where")
VS_DEFINE_CLASS(VSGeoW3CPoint, VSGeo, kVSNamespaceGeoW3C, kVSNamespaceGeoW3CPrefix, "Point")
VS_DEFINE_CLASS(
    VSGeoRSSFeatureName, VSValueElementConstruct, kVSNamespaceGeoRSS, kVSNamespaceGeoRSSPrefix, "featurename")
VS_DEFINE_CLASS(VSGeoRSSRadius, VSValueElementConstruct, kVSNamespaceGeoRSS, kVSNamespaceGeoRSSPrefix, "radius")

namespace {

// Reads one decimal number after white space; the platform's double scanner.
bool scanDouble(std::string_view text, size_t& index, double& value)
{
    size_t probe = index;
    while (probe < text.size()
        && (text[probe] == ' ' || text[probe] == '\t' || text[probe] == '\n' || text[probe] == '\r'
            || text[probe] == '\v' || text[probe] == '\f'))
        ++probe;
    size_t start = probe;
    if (probe < text.size() && (text[probe] == '+' || text[probe] == '-'))
        ++probe;
    size_t digits = 0;
    while (probe < text.size() && text[probe] >= '0' && text[probe] <= '9')
        ++probe, ++digits;
    if (probe < text.size() && text[probe] == '.') {
        ++probe;
        while (probe < text.size() && text[probe] >= '0' && text[probe] <= '9')
            ++probe, ++digits;
    }
    if (digits == 0)
        return false;
    if (probe < text.size() && (text[probe] == 'e' || text[probe] == 'E')) {
        size_t exponent = probe + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-'))
            ++exponent;
        if (exponent < text.size() && text[exponent] >= '0' && text[exponent] <= '9') {
            while (exponent < text.size() && text[exponent] >= '0' && text[exponent] <= '9')
                ++exponent;
            probe = exponent;
        }
    }
    auto number = VSUtilities::doubleNumberOrInfForString(text.substr(start, probe - start));
    value = number.value_or(0.0);
    index = probe;
    return true;
}

std::string decimal(double value)
{
    return detail::decimalTextOfDouble(value);
}

}  // namespace

std::vector<double> VSGeo::valuesWithCoordinateString(std::string_view text)
{
    std::vector<double> values;
    size_t index = 0;
    for (;;) {
        double first = 0;
        double second = 0;
        if (!scanDouble(text, index, first) || !scanDouble(text, index, second))
            break;
        values.push_back(first);
        values.push_back(second);
    }
    return values;
}

std::string VSGeo::coordinateStringWithValues(const std::vector<double>& values)
{
    std::string text;
    for (size_t i = 0; i < values.size(); ++i)
        text += (i > 0 ? " " : "") + decimal(values[i]);
    return text;
}

VSXMLNamespaceMap VSGeo::geoNamespaces()
{
    return {{kVSNamespaceGeoRSSPrefix, kVSNamespaceGeoRSS}, {kVSNamespaceGeoW3CPrefix, kVSNamespaceGeoW3C},
        {kVSNamespaceGeoGMLPrefix, kVSNamespaceGeoGML}};
}

void VSGeo::addGeoExtensionDeclarationsToObject(VSObject& object, const VSClass& parentClass)
{
    object.addExtensionDeclarationForParentClass(
        parentClass, {&VSGeoRSSPoint::staticClass(), &VSGeoRSSWhere::staticClass(), &VSGeoW3CPoint::staticClass()});
}

std::shared_ptr<VSGeo> VSGeo::geoLocationForObject(const VSObject& object)
{
    if (auto point = object.objectForExtensionClass<VSGeoRSSPoint>())
        return point;
    if (auto where = object.objectForExtensionClass<VSGeoRSSWhere>())
        return where;
    return object.objectForExtensionClass<VSGeoW3CPoint>();
}

void VSGeo::setGeoLocation(const std::shared_ptr<VSGeo>& geo, VSObject& object)
{
    if (geo && &geo->objectClass() == &VSGeo::staticClass()) {
        plat::log("setGeoLocation requires an instance of a subclass of VSGeo");
        std::abort();
    }
    object.setObject(nullptr, VSGeoRSSPoint::staticClass());
    object.setObject(nullptr, VSGeoRSSWhere::staticClass());
    object.setObject(nullptr, VSGeoW3CPoint::staticClass());
    if (geo)
        object.setObject(geo, geo->objectClass());
}

void VSGeo::initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent)
{
    if (&objectClass() == &VSGeo::staticClass()) {
        plat::log("Subclass of {} should handle initWithXMLElement:", objectClass().name);
        std::abort();
    }
    VSObject::initWithXMLElement(element, parent);
}

bool VSGeo::isEqual(const VSExtensionObject& other) const
{
    if (this == &other)
        return true;
    auto geo = dynamic_cast<const VSGeo*>(&other);
    return geo != nullptr && VSObject::isEqual(other) && _values == geo->_values;
}

void VSGeo::copyInto(VSObject& copy) const
{
    VSObject::copyInto(copy);
    static_cast<VSGeo&>(copy)._values = _values;
}

// VSGeoRSSPoint

void VSGeoRSSPoint::initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent)
{
    VSGeo::initWithXMLElement(element, parent);
    auto text = stringValueFromElement(element);
    if (text && !text->empty()) {
        auto values = valuesWithCoordinateString(*text);
        if (!values.empty())
            setValues(values);
    }
}

VSXMLElementPtr VSGeoRSSPoint::XMLElement() const
{
    auto element = XMLElementWithExtensionsAndDefaultName("georss:point");
    // Only a latitude and longitude pair is written: other counts of values
    // leave the element without coordinates.
    if (element && isPoint())
        element->addStringValue(coordinateString());
    return element;
}

// VSGeoRSSWhere

void VSGeoRSSWhere::initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent)
{
    VSGeo::initWithXMLElement(element, parent);
    auto point = childWithQualifiedName("gml:Point", kVSNamespaceGeoGML, element);
    if (point == nullptr)
        return;
    auto positions = elementsForName("gml:pos", kVSNamespaceGeoGML, *point);
    if (positions.empty())
        return;
    auto text = positions.front()->stringValue();
    if (text && !text->empty()) {
        auto values = valuesWithCoordinateString(*text);
        if (!values.empty())
            setValues(values);
    }
}

VSXMLElementPtr VSGeoRSSWhere::XMLElement() const
{
    auto element = XMLElementWithExtensionsAndDefaultName("georss:where");
    if (element == nullptr)
        return nullptr;
    auto point = VSXMLNode::elementWithName("gml:Point");
    if (isPoint())
        point->addChild(*VSXMLNode::elementWithName("gml:pos", coordinateString()));
    element->addChild(*point);
    return element;
}

// VSGeoW3CPoint

void VSGeoW3CPoint::initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent)
{
    VSGeo::initWithXMLElement(element, parent);
    if (element == nullptr)
        return;
    auto URI = element->URI();
    const char* namespaceURI = URI ? URI->c_str() : nullptr;
    auto latitude = childWithQualifiedName("geo:lat", namespaceURI, element);
    auto longitude = childWithQualifiedName("geo:long", namespaceURI, element);
    if (latitude == nullptr || longitude == nullptr)
        return;
    auto latitudeValue = VSUtilities::doubleNumberOrInfForString(latitude->stringValue().value_or(""));
    auto longitudeValue = VSUtilities::doubleNumberOrInfForString(longitude->stringValue().value_or(""));
    if (latitudeValue && longitudeValue)
        setValues({*latitudeValue, *longitudeValue});
}

VSXMLElementPtr VSGeoW3CPoint::XMLElement() const
{
    auto element = XMLElementWithExtensionsAndDefaultName("geo:Point");
    if (element == nullptr)
        return nullptr;
    auto prefix = VSXMLNode::prefixForName(element->name().value_or("")).value_or(kVSNamespaceGeoW3CPrefix);
    if (isPoint()) {
        addToElementChildWithStringValueIfNonEmpty(*element, decimal(latitude()), prefix + ":lat");
        addToElementChildWithStringValueIfNonEmpty(*element, decimal(longitude()), prefix + ":long");
    }
    return element;
}

}  // namespace zt
