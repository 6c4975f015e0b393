#pragma once

// Namespace URIs of the vocabularies the video service speaks. The Atom,
// AtomPub, OpenSearch, Media RSS and geo ones are the published standards';
// gd, batch and yt are the provider's own.
namespace zt {

inline constexpr const char* kVSNamespaceAtom = "http://www.w3.org/2005/Atom";
inline constexpr const char* kVSNamespaceAtomPrefix = "atom";
inline constexpr const char* kVSNamespaceAtomPub = "http://www.w3.org/2007/app";
inline constexpr const char* kVSNamespaceAtomPubPrefix = "app";
inline constexpr const char* kVSNamespaceOpenSearch = "http://a9.com/-/spec/opensearch/1.1/";
inline constexpr const char* kVSNamespaceOpenSearchPrefix = "openSearch";
inline constexpr const char* kVSNamespaceGData = "http://schemas.google.com/g/2005";
inline constexpr const char* kVSNamespaceGDataPrefix = "gd";
inline constexpr const char* kVSNamespaceBatch = "http://schemas.google.com/gdata/batch";
inline constexpr const char* kVSNamespaceBatchPrefix = "batch";
inline constexpr const char* kVSNamespaceMedia = "http://search.yahoo.com/mrss/";
inline constexpr const char* kVSNamespaceMediaPrefix = "media";
inline constexpr const char* kVSNamespaceGeoRSS = "http://www.georss.org/georss";
inline constexpr const char* kVSNamespaceGeoRSSPrefix = "georss";
inline constexpr const char* kVSNamespaceGeoW3C = "http://www.w3.org/2003/01/geo/wgs84_pos#";
inline constexpr const char* kVSNamespaceGeoW3CPrefix = "geo";
inline constexpr const char* kVSNamespaceGeoGML = "http://www.opengis.net/gml";
inline constexpr const char* kVSNamespaceGeoGMLPrefix = "gml";
inline constexpr const char* kVSNamespaceYouTube = "http://gdata.youtube.com/schemas/2007";
inline constexpr const char* kVSNamespaceYouTubePrefix = "yt";

// Kind scheme: a category with this scheme names the kind of its entry or feed.
inline constexpr const char* kVSCategoryKind = "http://schemas.google.com/g/2005#kind";
inline constexpr const char* kVSCategoryLabelScheme = "http://schemas.google.com/g/2005/labels";

// Relations formed from the gd namespace.
inline constexpr const char* kVSLinkRelFeed = "http://schemas.google.com/g/2005#feed";
inline constexpr const char* kVSLinkRelPost = "http://schemas.google.com/g/2005#post";
inline constexpr const char* kVSLinkRelBatch = "http://schemas.google.com/g/2005#batch";
inline constexpr const char* kVSLinkRelResumableEdit = "http://schemas.google.com/g/2005#resumable-edit-media";
inline constexpr const char* kVSLinkRelResumableCreate = "http://schemas.google.com/g/2005#resumable-create-media";

}  // namespace zt
