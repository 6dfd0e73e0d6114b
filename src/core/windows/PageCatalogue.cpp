// The binary message windows of the framework.
#include "windows/PageCatalogue.h"

#include "ids/CommandIds.h"
#include "windows/DgpsWindows.h"
#include "windows/NavWindows.h"
#include "windows/SatelliteWindows.h"
#include "windows/SolutionWindows.h"
#include "windows/StatusWindows.h"
#include "windows/TrackingWindows.h"

namespace orv {

namespace {

std::unique_ptr<Page> MakeMeasurement(const PageContext& context) { return std::make_unique<CMeasWnd>(context, false); }
std::unique_ptr<Page> MakeBaseMeasurement(const PageContext& context) {
  return std::make_unique<CMeasWnd>(context, true);
}

using L = WindowLinks;
constexpr PageKind kKinds[] = {
    {cmd::kWndLlh, MakePage<CNavWnd>, StoreLink<&L::navigation>, false},
    {cmd::kWndXyz, MakePage<CNavGPSWnd>, StoreLink<&L::navigationXyz>, false},
    {cmd::kWndEphemeris, MakePage<CEphemWnd>, StoreLink<&L::ephemeris>, false},
    {cmd::kWndMeasurements, MakeMeasurement, StoreLink<&L::measurement>, false},
    {cmd::kWndBaseMeasurements, MakeBaseMeasurement, StoreLink<&L::baseMeasurement>, true},
    {cmd::kWndChannelAssignment, MakePage<CChanAssWnd>, StoreLink<&L::channelAssignment>, false},
    {cmd::kWndSvStatus, MakePage<CSVsStatusWnd>, StoreLink<&L::svStatus>, false},
    {cmd::kWndSvPosition, MakePage<CShowSVsPositionWnd>, StoreLink<&L::svPosition>, false},
    {cmd::kWndSatelliteHealth, MakePage<CSatelliteHealthWnd>, StoreLink<&L::satelliteHealth>, false},
    {cmd::kWndBaseStatus, MakePage<CBaseStatusWnd>, StoreLink<&L::baseStatus>, false},
    {cmd::kWndDgpsStatus, MakePage<CDGPSStatWnd>, StoreLink<&L::dgpsStatus>, false},
    {cmd::kWndDgpsConfiguration, MakePage<CDGPSConfigWnd>, StoreLink<&L::dgpsConfig>, false},
    {cmd::kWndDgpsData, MakePage<CDGPSDataWnd>, StoreLink<&L::dgpsData>, false},
    {cmd::kWndWaasStatus, MakePage<CWAASStatusWnd>, StoreLink<&L::waasStatus>, false},
    {cmd::kWndReceiverStatus, MakePage<CReceiverStatusWnd>, StoreLink<&L::receiverStatus>, false},
    {cmd::kWndTiming, MakePage<CTimingInformationWnd>, StoreLink<&L::timingInfo>, false},
    {cmd::kWndSystemProfile, MakePage<CSystemProfileWnd>, StoreLink<&L::systemProfile>, false},
    {cmd::kWndFaultLog, MakePage<CFaultLogWnd>, StoreLink<&L::faultLog>, false},
    {cmd::kWndPredicted, MakePage<CPredictedSolutionWnd>, StoreLink<&L::predictedSolution>, false},
    {cmd::kWndMatched, MakePage<CMatchedSolutionWnd>, StoreLink<&L::matchedSolution>, false},
    {cmd::kWndPartNumber, MakePage<CPartNumberWnd>, StoreLink<&L::partNumber>, false},
};

}  // namespace

std::span<const PageKind> BinaryPageKinds() { return kKinds; }

}  // namespace orv
