#include "share/ShareServices.h"

#include "share/DuplicateProjectActivity.h"
#include "share/FileSharingConnectHandler.h"
#include "share/OpenInConnectHandler.h"
#include "share/PhotoAlbumConnectHandler.h"

namespace zt {

ShareServices::ShareServices(ShareExporter exporter)
    : _exporter(std::move(exporter))
{
}

std::vector<std::shared_ptr<plat::Activity>> ShareServices::getAvailableShareServices() const
{
    std::vector<std::shared_ptr<plat::Activity>> services;
    // Without an exporter nothing could be rendered for them.
    if (_exporter) {
        services.push_back(std::make_shared<PhotoAlbumConnectHandler>(_exporter));
        services.push_back(std::make_shared<FileSharingConnectHandler>(_exporter));
        services.push_back(std::make_shared<OpenInConnectHandler>(_exporter));
    }
    services.push_back(std::make_shared<DuplicateProjectActivity>());
    return services;
}

}  // namespace zt
