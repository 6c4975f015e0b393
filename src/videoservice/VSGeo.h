#pragma once
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "videoservice/VSConstructs.h"

// A location in one of three encodings (GeoRSS point, GeoRSS where with a
// GML point, W3C basic geo point). A location is a point when it holds two
// values: latitude, then longitude.
namespace zt {

class VSGeo : public VSObject {
    VS_DECLARE_CLASS(VSGeo)

public:
    template <typename T> static std::shared_ptr<T> geoWithLatitude(double latitude, double longitude)
    {
        auto geo = VSObject::object<T>();
        geo->setValues({latitude, longitude});
        return geo;
    }

    const std::vector<double>& values() const { return _values; }
    void setValues(const std::vector<double>& values) { _values = values; }
    bool isPoint() const { return _values.size() == 2; }
    // NaN when the location is not a point.
    double latitude() const { return isPoint() ? _values[0] : std::nan(""); }
    double longitude() const { return isPoint() ? _values[1] : std::nan(""); }
    std::string coordinateString() const { return coordinateStringWithValues(_values); }

    // Pairs of numbers separated by white space; a lone trailing number is dropped.
    static std::vector<double> valuesWithCoordinateString(std::string_view text);
    static std::string coordinateStringWithValues(const std::vector<double>& values);

    static VSXMLNamespaceMap geoNamespaces();
    static void addGeoExtensionDeclarationsToObject(VSObject& object, const VSClass& parentClass);
    static std::shared_ptr<VSGeo> geoLocationForObject(const VSObject& object);
    // Replaces any location of the three classes; a bare VSGeo is a programming error.
    static void setGeoLocation(const std::shared_ptr<VSGeo>& geo, VSObject& object);

    // A bare VSGeo cannot be parsed: only its subclasses know their element.
    void initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent) override;
    using VSObject::initWithXMLElement;
    bool isEqual(const VSExtensionObject& other) const override;

protected:
    void copyInto(VSObject& copy) const override;

private:
    std::vector<double> _values;
};

class VSGeoRSSPoint : public VSGeo {
    VS_DECLARE_CLASS(VSGeoRSSPoint)

public:
    void initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent) override;
    using VSObject::initWithXMLElement;
    VSXMLElementPtr XMLElement() const override;
};

class VSGeoRSSWhere : public VSGeo {
    VS_DECLARE_CLASS(VSGeoRSSWhere)

public:
    void initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent) override;
    using VSObject::initWithXMLElement;
    VSXMLElementPtr XMLElement() const override;
};

class VSGeoW3CPoint : public VSGeo {
    VS_DECLARE_CLASS(VSGeoW3CPoint)

public:
    void initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent) override;
    using VSObject::initWithXMLElement;
    VSXMLElementPtr XMLElement() const override;
};

VS_ELEMENT_CLASS(VSGeoRSSFeatureName, VSValueElementConstruct)
VS_ELEMENT_CLASS(VSGeoRSSRadius, VSValueElementConstruct)

}  // namespace zt
