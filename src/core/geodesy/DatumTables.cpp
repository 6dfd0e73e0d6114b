// The 16 ellipsoids and 64 datums, in the receiver's numbering.
#include "geodesy/DatumTables.h"

namespace orv {

namespace {

constexpr Ellipsoid kEllipsoids[kEllipsoidCount] = {
    {"Clarke_1880", 6378249.145, 293.465},
    {"Australian_National", 6378160.0, 298.25},
    {"International", 6378388.0, 297.0},
    {"Everest 1830", 6377276.345, 300.8017},
    {"Airy_modified", 6377340.189, 299.3249646},
    {"Everest 1948", 6377304.063, 300.8017},
    {"Clarke_1866", 6378206.4, 294.9786982},
    {"Bessel_1841", 6377397.155, 299.1528128},
    {"GRS-80", 6378137.0, 298.257222101},
    {"Helmert_1906", 6378200.0, 298.3},
    {"Airy", 6377563.396, 299.3249646},
    {"Bessel_1841_in_Namibia", 6377483.865, 299.1528128},
    {"South_America_1969", 6378160.0, 298.25},
    {"Modified Fisher 1960", 6378155.0, 298.3},
    {"WGS-72", 6378135.0, 298.26},
    {"WGS-84", 6378137.0, 298.257223563},
};

// Names and regions are the receiver's texts, spelling included ("Honk Kong 1963",
// "Singapour").
constexpr Datum kDatums[kDatumCount] = {
    {"WGS 1984", "Global definition", 0, 0, 0, 16},
    {"User Defined 1", "", 0, 0, 0, 0},
    {"User Defined 2", "", 0, 0, 0, 0},
    {"Adindan", "Sudan", 161, 14, -205, 1},
    {"Arc 1950", "Botswana, Lesotho, Malawi, etc.", 143, 90, 294, 1},
    {"Arc 1950", "Zaire", 169, 19, 278, 1},
    {"Arc 1960", "Kenya, Tanzania", 160, 6, 302, 1},
    {"Australian Geodetic 1984", "Australia, Tasmania", 134, 48, -149, 2},
    {"Bogota Observatory", "Colombia", -307, -304, 318, 3},
    {"Campo Inchauspe", "Argentina", 148, -136, -90, 3},
    {"Cape", "South Africa", 136, 108, 292, 1},
    {"Carthage", "Tunisia", 263, -6, -431, 1},
    {"Chatam Island Astro 1971", "New Zealand, Chatham Island", -175, 38, -113, 3},
    {"Chua Astro", "Paraguay", 134, -229, 29, 3},
    {"Corrego Alegre", "Brazil", 206, -172, 6, 3},
    {"European 1950", "Western Europe", 87, 98, 121, 3},
    {"European 1950", "Cyprus", 104, 101, 140, 3},
    {"European 1950", "Egypt", 130, 117, 151, 3},
    {"European 1950", "England, Channel Is., Ireland, Scotland, Shetland Is.", 86, 96, 120, 3},
    {"European 1950", "Iran", 117, 132, 164, 3},
    {"European 1950", "Italy (Sicily)", 97, 88, 135, 3},
    {"European 1979", "Austria, Finland, Neth., Norway, Spain, Sweden, Switzerland", 86, 98, 119, 3},
    {"Geodetic Datum 1949", "New Zealand", -84, 22, -209, 3},
    {"Hjorsey 1955", "Iceland", 73, -46, 86, 3},
    {"Honk Kong 1963", "Hong Kong", 156, 271, 189, 3},
    {"Hu-Tzu-Shan", "Taiwan", 637, 549, 203, 3},
    {"Indian 1954", "Thailand, Vietnam", -218, -816, -297, 4},
    {"Ireland 1965", "Ireland", -506, 122, -611, 5},
    {"Kertau 1948", "West Malaysia, Singapour", 11, -851, -5, 6},
    {"Liberia 1964", "Liberia", 90, -40, -88, 1},
    {"Luzon", "Philippines (excluding Mindanao)", 133, 77, 51, 7},
    {"Massawa", "Ethiopia (Eritrea)", -639, -405, -60, 8},
    {"Merchich", "Morocco", -31, -146, -47, 1},
    {"Minna", "Nigeria", 92, 93, -122, 1},
    {"Nahrwan", "Oman (Masirah Island)", 247, 148, -369, 1},
    {"North American 1927", "Alaska", 5, -135, -172, 7},
    {"North American 1927", "Antigua, Barbados...", 3, -142, -183, 7},
    {"North American 1927", "Canada", 10, -158, -187, 7},
    {"North American 1927", "Canada (Alberta, British Columbia)", 7, -162, -188, 7},
    {"North American 1927", "Canada (Manitoba, Ontario)", 9, -157, -184, 7},
    {"North American 1927", "Canada (New Brunswick, Newfoundland, Nova Scotia, Quebec)", 22, -160, -190, 7},
    {"North American 1927", "Canada (NWT, Saskatchewan)", -4, -159, -188, 7},
    {"North American 1927", "Canada (Yukon Territory)", 7, -139, -181, 7},
    {"North American 1927", "Canal zone", 0, -125, -201, 7},
    {"North American 1927", "Central America", 0, -125, -194, 7},
    {"North American 1927", "Mexico", 12, -130, -190, 7},
    {"North American 1983", "Alaska, Canada, CONUS, Cent. Am, Mex.", 0, 0, 0, 9},
    {"Old Egyptian 1907", "Egypt", 130, -110, 13, 10},
    {"Old Hawaiian", "Hawaii, Kauai, Maui, Oahu", -61, 285, 181, 7},
    {"Oman", "Oman", 346, 1, -224, 1},
    {"Ord. Survey G. Britain 1936", "England, Isle of Man, Scotland, Shetland Islands, Wales", -375, 111, -431, 11},
    {"Pitcairn Astro 1967", "Pitcairn Island", -185, -165, -42, 3},
    {"Qatar National", "Qatar", 128, 283, -22, 3},
    {"Qornoq", "Greenland (south)", -164, -138, 189, 3},
    {"Schwarzeck", "Namibia", -616, -97, 251, 12},
    {"South American 1969", "Arg, Bol, Bra, Chi, Col, Ecu, Guy...", 57, -1, 41, 13},
    {"South American 1969", "Brazil", 60, 2, 41, 13},
    {"South American 1969", "Colombia", 44, -6, 36, 13},
    {"South American 1969", "Venezuela", 45, -8, 33, 13},
    {"South Asia", "Singapore", -7, 10, 26, 14},
    {"Tananarive Observatory 1925", "Madagascar", 189, 242, 91, 3},
    {"Tokyo", "Japan", 148, -507, -685, 8},
    {"Tokyo", "mean value (Japan, Korea, Okinawa)", 128, -481, -664, 8},
    {"WGS 1972", "Global definition", 0, 0, -5, 15},
};

}  // namespace

std::span<const Ellipsoid, kEllipsoidCount> EllipsoidTable() { return kEllipsoids; }
std::span<const Datum, kDatumCount> DatumTable() { return kDatums; }

const Ellipsoid* EllipsoidByNumber(int number) {
  return number >= 1 && number <= kEllipsoidCount ? &kEllipsoids[number - 1] : nullptr;
}

const Datum* DatumByNumber(int number) {
  return number >= 0 && number < kDatumCount ? &kDatums[number] : nullptr;
}

}  // namespace orv
