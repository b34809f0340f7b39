// The double log's main path, inline: its table, constants and the evaluation for positive normal
// arguments, so that callers taking several logarithms per call (ln Gamma takes two) pay no call and
// no register spills for them. Zero, subnormal, negative and non-finite arguments go out of line.
#pragma once

#include <cstdint>

#include "numerics/elementary_bits.h"

namespace numerics {
namespace elementary {
namespace log_detail {

// log x = e·ln2 + log(1/c_i) + log1p(r) with m = x/2^e in [0.708, 1.416) split into 256 subintervals
// of equal width in the encoding, r = m·c_i - 1. Entry i holds c_i, the reciprocal of the subinterval's
// midpoint rounded to 26 significant bits (so that m·c_i is exact in two halves), and -log(c_i) as
// hi + lo: hi rounded to a multiple of 2^-43 (so that e·ln2_hi + hi is exact), lo the double nearest
// the remainder (MPFR at 400 bits). The subinterval [1 - 2^-10, 1 + 2^-9), entry 149, has c = 1 and
// log c = 0 exactly, so that log x near 1 suffers no cancellation. |r| < 2^-8.99.
struct Reciprocal {
  double c, minus_log_hi, minus_log_lo;
};
inline constexpr Reciprocal kLogTable[256] = {
    {0x1.6914738p+0, -0x1.602d083c09p-2, -0x1.eb81c56dec3ap-46},
    {0x1.6816818p+0, -0x1.5d5bde3996p-2, 0x1.a0fae08a432afp-47},
    {0x1.6719f38p+0, -0x1.5a8cae16eep-2, 0x1.7d7c78af6f7aap-48},
    {0x1.661ec68p+0, -0x1.57bf74d28dp-2, -0x1.fa8716e5ce002p-46},
    {0x1.6524f88p+0, -0x1.54f43236bep-2, -0x1.a8174a091b004p-46},
    {0x1.642c858p+0, -0x1.522ae0438ap-2, -0x1.ebde08164c2d9p-45},
    {0x1.63356b8p+0, -0x1.4f637ea2a98p-2, -0x1.f49d6676d7abdp-51},
    {0x1.623fa78p+0, -0x1.4c9e0a0f73p-2, 0x1.e210d5b0ad4aep-45},
    {0x1.614b368p+0, -0x1.49da7f32cc8p-2, 0x1.f099e74a168d4p-45},
    {0x1.605816p+0, -0x1.4718dc171c8p-2, 0x1.f27de0967d6ap-45},
    {0x1.5f66438p+0, -0x1.44591eb83ap-2, 0x1.708a2d28e980bp-47},
    {0x1.5e75bb8p+0, -0x1.419b42175e8p-2, -0x1.8e2cdec90d7afp-47},
    {0x1.5d867cp+0, -0x1.3edf4584168p-2, -0x1.eac3ad00aa076p-49},
    {0x1.5c98828p+0, -0x1.3c2526cb33p-2, -0x1.82d8cb6053b7cp-46},
    {0x1.5babcc8p+0, -0x1.396ce3aabcp-2, 0x1.58a0496630fbep-47},
    {0x1.5ac0568p+0, -0x1.36b676dde1p-2, -0x1.164f530f08ec4p-46},
    {0x1.59d61fp+0, -0x1.3401e0f4ec8p-2, -0x1.d06631523a75ep-45},
    {0x1.58ed23p+0, -0x1.314f1e0536p-2, 0x1.8e29ed3213d48p-45},
    {0x1.58056p+0, -0x1.2e9e2b8e12p-2, -0x1.42f0c128d1317p-45},
    {0x1.571ed4p+0, -0x1.2bef087dc9p-2, -0x1.a956a4a50e2c9p-45},
    {0x1.56397b8p+0, -0x1.2941af3a868p-2, -0x1.bdb05819df659p-45},
    {0x1.5555558p+0, -0x1.269621934d8p-2, -0x1.c8fc1df5c090bp-45},
    {0x1.54725e8p+0, -0x1.23ec59ceeb8p-2, -0x1.2474edeba3ef8p-45},
    {0x1.5390948p+0, -0x1.214456a2eb8p-2, -0x1.a85cdba46ab12p-47},
    {0x1.52aff58p+0, -0x1.1e9e16b9898p-2, -0x1.f433490dd3ce1p-46},
    {0x1.51d07e8p+0, -0x1.1bf995a9a68p-2, -0x1.ca22451474e1p-45},
    {0x1.50f22ep+0, -0x1.1956d385bcp-2, -0x1.7d24e3ad1a45cp-45},
    {0x1.5015018p+0, -0x1.16b5cd4ccf8p-2, -0x1.b9599b7a59523p-45},
    {0x1.4f38f6p+0, -0x1.14167e67678p-2, 0x1.f65cfdb28cde7p-48},
    {0x1.4e5e0a8p+0, -0x1.1178e84a7e8p-2, 0x1.c217263a5ed82p-45},
    {0x1.4d843cp+0, -0x1.0edd064378p-2, -0x1.016a52d84528bp-47},
    {0x1.4cab888p+0, -0x1.0c42d6a016p-2, -0x1.7181cd63cedecp-45},
    {0x1.4bd3eep+0, -0x1.09aa57a26c8p-2, 0x1.2c40a7a3273fp-46},
    {0x1.4afd6ap+0, -0x1.071385f4d58p-2, -0x1.89c5b16ed4d3cp-48},
    {0x1.4a27fbp+0, -0x1.047e614be8p-2, -0x1.dba10cd39d0a2p-45},
    {0x1.49539ep+0, -0x1.01eae4aa6c8p-2, 0x1.701141487e43fp-46},
    {0x1.488052p+0, -0x1.feb22276ap-3, -0x1.f31a7de006adbp-45},
    {0x1.47ae148p+0, -0x1.f991c6eb3bp-3, -0x1.bcbccca0cdf85p-46},
    {0x1.46dce38p+0, -0x1.f474b2a2dfp-3, -0x1.1367e18840546p-46},
    {0x1.460cbc8p+0, -0x1.ef5ade51dp-3, 0x1.a212565bb8e0cp-51},
    {0x1.453d9ep+0, -0x1.ea4448d84bp-3, 0x1.4329c391a1b3bp-45},
    {0x1.446f868p+0, -0x1.e530f10671p-3, -0x1.101e7605959bp-51},
    {0x1.43a273p+0, -0x1.e020cc1e36p-3, 0x1.52b48edb915bdp-45},
    {0x1.42d6628p+0, -0x1.db13dbe949p-3, 0x1.b021f37157a0cp-45},
    {0x1.420b528p+0, -0x1.d60a189f03p-3, -0x1.45090907bfcd2p-45},
    {0x1.4141418p+0, -0x1.d10380b656p-3, 0x1.8718e75b1e0cep-47},
    {0x1.40782dp+0, -0x1.cc000c31b4p-3, 0x1.d6ec4dd57bcc9p-46},
    {0x1.3fb014p+0, -0x1.c6ffbc8f01p-3, 0x1.1ecf2c5962a7dp-48},
    {0x1.3ee8f4p+0, -0x1.c20289a18p-3, 0x1.93292e55ce12p-45},
    {0x1.3e22ccp+0, -0x1.bd0874c3bep-3, 0x1.d520459536c0bp-45},
    {0x1.3d5d99p+0, -0x1.b811725f82p-3, -0x1.e8ccbbb9ca3a5p-46},
    {0x1.3c995a8p+0, -0x1.b31d86e1bdp-3, 0x1.c55e64ea90c74p-47},
    {0x1.3bd60d8p+0, -0x1.ae2ca68073p-3, 0x1.0af2e33561dbbp-45},
    {0x1.3b13b1p+0, -0x1.a93ed248aep-3, 0x1.87b4350574169p-45},
    {0x1.3a52438p+0, -0x1.a45407fc6bp-3, 0x1.3eb377fc11dc1p-45},
    {0x1.3991c3p+0, -0x1.9f6c420889p-3, -0x1.986246866daecp-45},
    {0x1.38d22dp+0, -0x1.9a87777abbp-3, 0x1.725c7c2035e5cp-45},
    {0x1.381381p+0, -0x1.95a5ac5f7p-3, -0x1.7d118589d0985p-47},
    {0x1.3755bdp+0, -0x1.90c6dae3ccp-3, 0x1.93a45f7191b62p-46},
    {0x1.3698dfp+0, -0x1.8beafd1b9p-3, 0x1.765f8aaee9299p-47},
    {0x1.35dce6p+0, -0x1.8712139d0fp-3, 0x1.9ae427a0ca0c3p-45},
    {0x1.3521cf8p+0, -0x1.823c15051ap-3, -0x1.e00139a619ca3p-46},
    {0x1.34679bp+0, -0x1.7d690516f6p-3, 0x1.4c72557c247b6p-45},
    {0x1.33ae458p+0, -0x1.7898d6f045p-3, 0x1.c7588f0930dfcp-46},
    {0x1.32f5cfp+0, -0x1.73cb9188fdp-3, -0x1.4b81e98017e8bp-47},
    {0x1.323e348p+0, -0x1.6f0127cf57p-3, 0x1.514d6e59c6165p-45},
    {0x1.3187758p+0, -0x1.6a399d49bdp-3, -0x1.c1a0046579fd3p-46},
    {0x1.30d19p+0, -0x1.6574eb68c1p-3, -0x1.9cd8b2c3c1922p-46},
    {0x1.301c828p+0, -0x1.60b30ee109p-3, -0x1.1d1e6dced893ep-45},
    {0x1.2f684cp+0, -0x1.5bf407b544p-3, 0x1.27823eb67ed71p-46},
    {0x1.2eb4eap+0, -0x1.5737cbb819p-3, 0x1.91b13651e46acp-46},
    {0x1.2e025cp+0, -0x1.527e5e2a1bp-3, -0x1.633d8e5697d9cp-45},
    {0x1.2d50ap+0, -0x1.4dc7b817bcp-3, -0x1.c75b60ae1d464p-47},
    {0x1.2c9fb5p+0, -0x1.4913d9433bp-3, -0x1.57ef554fe1cd3p-45},
    {0x1.2bef99p+0, -0x1.4462ba909bp-3, -0x1.edaa8e3b979cdp-46},
    {0x1.2b404bp+0, -0x1.3fb45ba193p-3, 0x1.cd8697e6981d2p-45},
    {0x1.2a91c9p+0, -0x1.3b08b5317fp-3, -0x1.53b8bb5b22217p-46},
    {0x1.29e4128p+0, -0x1.365fca3159p-3, -0x1.586a823400134p-51},
    {0x1.2937258p+0, -0x1.31b99339a5p-3, 0x1.f724c8b74e6d5p-49},
    {0x1.288b01p+0, -0x1.2d160fb068p-3, -0x1.38a48cb7ff603p-47},
    {0x1.27dfa38p+0, -0x1.28753b7b1bp-3, 0x1.16db024d9fbf2p-45},
    {0x1.27350b8p+0, -0x1.23d7126c9cp-3, -0x1.00cc18fd3dd93p-46},
    {0x1.268b38p+0, -0x1.1f3b93bf26p-3, 0x1.6066e9b067a88p-46},
    {0x1.25e227p+0, -0x1.1aa2b7aa3fp-3, -0x1.ca75d4438985p-45},
    {0x1.2539d8p+0, -0x1.160c80c4b2p-3, -0x1.ec142a900b313p-45},
    {0x1.249249p+0, -0x1.1178e7227ep-3, -0x1.1eb78ce2cb29cp-45},
    {0x1.23eb798p+0, -0x1.0ce7ed42ccp-3, -0x1.463e88bff5f12p-46},
    {0x1.2345678p+0, -0x1.08598b15e4p-3, 0x1.7e625b00991c5p-45},
    {0x1.22a012p+0, -0x1.03cdbf7d1fp-3, 0x1.fa03e3a591662p-46},
    {0x1.21fb78p+0, -0x1.fe89129dbep-4, 0x1.535d64fa115a7p-45},
    {0x1.215798p+0, -0x1.f57bc799p-4, -0x1.76a4c9ea8aff8p-46},
    {0x1.20b471p+0, -0x1.ec739b60a2p-4, 0x1.dca91afe4ec6ep-45},
    {0x1.201201p+0, -0x1.e3707d1b04p-4, -0x1.0f358a6762e74p-45},
    {0x1.1f7048p+0, -0x1.da72783844p-4, -0x1.a81401fa7c1dep-46},
    {0x1.1ecf44p+0, -0x1.d1797ba21ap-4, 0x1.9415c941f3cap-45},
    {0x1.1e2ef38p+0, -0x1.c8857d33c4p-4, -0x1.63e5f8659a6fdp-45},
    {0x1.1d8f568p+0, -0x1.bf968825fcp-4, -0x1.421027d8246bdp-45},
    {0x1.1cf06bp+0, -0x1.b6ac8afad6p-4, 0x1.399882bf69c3p-46},
    {0x1.1c523p+0, -0x1.adc78265aep-4, -0x1.50c5bec7b974dp-45},
    {0x1.1bb4a4p+0, -0x1.a4e763cb1cp-4, 0x1.e42f6b9440873p-47},
    {0x1.1b17c68p+0, -0x1.9c0c32e0d2p-4, -0x1.520fc65f1e661p-46},
    {0x1.1a7b96p+0, -0x1.9335e4d594p-4, -0x1.3105c3abd3d2fp-45},
    {0x1.19e0118p+0, -0x1.8a6475f51ep-4, 0x1.ec594c3221bccp-47},
    {0x1.194538p+0, -0x1.8197e2740ep-4, -0x1.f7fdcf96ff8a2p-47},
    {0x1.18ab08p+0, -0x1.78d01f23d8p-4, -0x1.6711794b0e70cp-47},
    {0x1.181181p+0, -0x1.700d2f4eacp-4, -0x1.c004da99c3188p-49},
    {0x1.1778a18p+0, -0x1.674f078f66p-4, 0x1.61baaed8b4a52p-46},
    {0x1.16e0688p+0, -0x1.5e95a3b17ap-4, 0x1.c6a5c7c5d2d9bp-45},
    {0x1.1648d5p+0, -0x1.55e0ff68ep-4, -0x1.c1a2b0c53a76dp-47},
    {0x1.15b1e6p+0, -0x1.4d31165208p-4, 0x1.53c2582f4d745p-48},
    {0x1.151b9ap+0, -0x1.4485dc8dbep-4, 0x1.66165cba82d2ep-50},
    {0x1.1485f1p+0, -0x1.3bdf5c4d1ep-4, -0x1.cc515a5db8e5ap-45},
    {0x1.13f0e9p+0, -0x1.333d821984p-4, 0x1.6fe5aa80fe639p-49},
    {0x1.135c81p+0, -0x1.2aa0492472p-4, 0x1.0b82cae9c78adp-45},
    {0x1.12c8b88p+0, -0x1.2207b3fb86p-4, 0x1.6c82097deae65p-45},
    {0x1.12358e8p+0, -0x1.1973bdac66p-4, 0x1.532b7960d9c5fp-45},
    {0x1.11a3018p+0, -0x1.10e459b0aep-4, -0x1.05ec91f6b6fbcp-45},
    {0x1.111111p+0, -0x1.08598a59e4p-4, 0x1.7e7dd7009a581p-46},
    {0x1.107fbcp+0, -0x1.ffa694dab8p-5, -0x1.2fd08983860dfp-45},
    {0x1.0fef01p+0, -0x1.eea31a206cp-5, 0x1.e14c24fc95ea3p-47},
    {0x1.0f5edf8p+0, -0x1.dda8a8ae8p-5, 0x1.1b828f4da9467p-45},
    {0x1.0ecf568p+0, -0x1.ccb7357ddcp-5, 0x1.a842447dc55b6p-46},
    {0x1.0e40658p+0, -0x1.bbcec47e9p-5, 0x1.7caa8ac3063fap-46},
    {0x1.0db20a8p+0, -0x1.aaef2bffbp-5, -0x1.0fbd1f53bb295p-45},
    {0x1.0d24458p+0, -0x1.9a187ebf3cp-5, -0x1.e78bcd2768297p-45},
    {0x1.0c9715p+0, -0x1.894aa1c9fcp-5, 0x1.979b5d05a2628p-46},
    {0x1.0c0a788p+0, -0x1.7885986b58p-5, 0x1.08eeb283b00edp-46},
    {0x1.0b7e6fp+0, -0x1.67c9568d4cp-5, 0x1.2d55fec115444p-47},
    {0x1.0af2f7p+0, -0x1.5715c0903cp-5, -0x1.dd50400ed6391p-46},
    {0x1.0a68108p+0, -0x1.466ae8a2ep-5, 0x1.c1bcc75be8111p-45},
    {0x1.09ddba8p+0, -0x1.35c8c23214p-5, 0x1.f2d3ea41827ebp-46},
    {0x1.0953f38p+0, -0x1.252f3108dp-5, -0x1.83daaa021acc8p-45},
    {0x1.08cabbp+0, -0x1.149e379004p-5, -0x1.a81bc8b7b9f3fp-45},
    {0x1.0842108p+0, -0x1.0415d81e74p-5, -0x1.111805cf1d6a9p-47},
    {0x1.07b9f28p+0, -0x1.e72bebd14p-6, 0x1.8da1cd9777f2p-45},
    {0x1.0732608p+0, -0x1.c63d25e148p-6, -0x1.573d9ff9e3e71p-45},
    {0x1.06ab5ap+0, -0x1.a55f624c6p-6, 0x1.dec419f2b5285p-45},
    {0x1.0624ddp+0, -0x1.8492470c9p-6, 0x1.aa8fe325b09afp-45},
    {0x1.059eeap+0, -0x1.63d615c69p-6, -0x1.7ab2f895961afp-47},
    {0x1.05197f8p+0, -0x1.432a92f98p-6, -0x1.9812092863828p-47},
    {0x1.04949dp+0, -0x1.228fc15eap-6, -0x1.7051ce84befbep-45},
    {0x1.041041p+0, -0x1.0205648938p-6, 0x1.3dc6b06e2f7fdp-45},
    {0x1.038c6b8p+0, -0x1.c3173c2c7p-7, -0x1.7c15bf6208d3bp-45},
    {0x1.03091b8p+0, -0x1.8244a0f89p-7, 0x1.75d8e1a7400f3p-45},
    {0x1.02865p+0, -0x1.4192bb968p-7, -0x1.95f4755d3a613p-46},
    {0x1.020408p+0, -0x1.01014f589p-7, 0x1.0c96b999d413ep-46},
    {0x1.0182438p+0, -0x1.81213c058p-8, -0x1.acf6c6297a2d9p-46},
    {0x1.010101p+0, -0x1.008054958p-8, -0x1.166aecb31c67ap-45},
    {0x1.00804p+0, -0x1.003fd55d4p-9, -0x1.885de7066c999p-45},
    {0x1p+0, 0x0p+0, 0x0p+0},
    {0x1.fe01fep-1, 0x1.ff00ac2bp-9, 0x1.0bc05a086b56ap-45},
    {0x1.fc07fp-1, 0x1.fe02b6b1p-8, 0x1.9e43f0dda563ap-46},
    {0x1.fa11ca8p-1, 0x1.7dc47e181p-7, 0x1.4f5faca263a16p-48},
    {0x1.f81f82p-1, 0x1.fc0a890fcp-7, 0x1.f207cf6d3a147p-50},
    {0x1.f6310bp-1, 0x1.3cea3d5468p-6, 0x1.2bd6bda5281c2p-45},
    {0x1.f4465ap-1, 0x1.7b91acfd58p-6, 0x1.88e1893fa9f13p-45},
    {0x1.f25f648p-1, 0x1.b9fbfa8af8p-6, 0x1.19fdbf46510a6p-46},
    {0x1.f07c1fp-1, 0x1.f829b1e78p-6, 0x1.980367c7e0a0fp-45},
    {0x1.ee9c7f8p-1, 0x1.1b0d98da3cp-5, 0x1.97fc7da2eec92p-45},
    {0x1.ecc07bp-1, 0x1.39e87ebfecp-5, -0x1.4ef2ff525b925p-48},
    {0x1.eae8078p-1, 0x1.58a5bdd49p-5, -0x1.b296e05708e8fp-45},
    {0x1.e9131a8p-1, 0x1.774593832cp-5, 0x1.d008734f2ff84p-45},
    {0x1.e741aa8p-1, 0x1.95c82e649p-5, -0x1.c12e887c61458p-45},
    {0x1.e573ac8p-1, 0x1.b42dd82198p-5, -0x1.c81ea65d66d19p-46},
    {0x1.e3a9178p-1, 0x1.d276baa5bp-5, 0x1.6a613e78a7909p-46},
    {0x1.e1e1e2p-1, 0x1.f0a30a0118p-5, -0x1.d589e8336993cp-45},
    {0x1.e01e02p-1, 0x1.075982498ep-4, 0x1.1c7026d29804cp-46},
    {0x1.de5d6ep-1, 0x1.1653710a38p-4, -0x1.47356768ed653p-46},
    {0x1.dca01ep-1, 0x1.253f6120a2p-4, -0x1.7cec5092cf181p-45},
    {0x1.dae6078p-1, 0x1.341d78b1bep-4, -0x1.c5e61ccf91757p-45},
    {0x1.d92f22p-1, 0x1.42edcd9a64p-4, 0x1.bc6a0ea7d0151p-46},
    {0x1.d77b658p-1, 0x1.51b0722862p-4, -0x1.efc02e1c6d6e9p-46},
    {0x1.d5cac8p-1, 0x1.60658ad376p-4, -0x1.e788c422c75e6p-45},
    {0x1.d41d42p-1, 0x1.6f0d272e56p-4, 0x1.69977c9334fdap-45},
    {0x1.d272cap-1, 0x1.7da76907b2p-4, -0x1.a622e76fdff23p-45},
    {0x1.d0cb59p-1, 0x1.8c345d131ap-4, -0x1.37bf74d2f570fp-46},
    {0x1.cf26e6p-1, 0x1.9ab4225204p-4, -0x1.8a2072678cdf7p-45},
    {0x1.cd85688p-1, 0x1.a926d434aep-4, -0x1.538e4e85ba8e2p-45},
    {0x1.cbe6d98p-1, 0x1.b78c819f0ep-4, 0x1.b434b978ce1a2p-45},
    {0x1.ca4b308p-1, 0x1.c5e5477dbcp-4, 0x1.d10a7d85f7a6ep-46},
    {0x1.c8b2658p-1, 0x1.d4313f12ccp-4, -0x1.94277e913253bp-45},
    {0x1.c71c72p-1, 0x1.e27074e2bp-4, -0x1.a302c2af05591p-45},
    {0x1.c5894dp-1, 0x1.f0a30c9916p-4, 0x1.53474e64b9466p-47},
    {0x1.c3f8fp-1, 0x1.fec9141dbep-4, 0x1.576545ca33e9dp-45},
    {0x1.c26b538p-1, 0x1.06715182a6p-3, -0x1.a46e40cdc0701p-45},
    {0x1.c0e07p-1, 0x1.0d77e8cd09p-3, -0x1.a599688e7069ep-47},
    {0x1.bf583fp-1, 0x1.147857da74p-3, 0x1.564b19027ba7fp-46},
    {0x1.bdd2b88p-1, 0x1.1b72adc6f6p-3, 0x1.e81765811ab87p-45},
    {0x1.bc4fd68p-1, 0x1.2266f0daa6p-3, -0x1.4d005284106ap-45},
    {0x1.bacf918p-1, 0x1.29552e91ffp-3, 0x1.490b417717db8p-45},
    {0x1.b951e28p-1, 0x1.303d727448p-3, -0x1.61963ce370eb6p-50},
    {0x1.b7d6c4p-1, 0x1.371fc161e9p-3, -0x1.16c064d27fae5p-48},
    {0x1.b65e2ep-1, 0x1.3dfc2c26ccp-3, 0x1.8abf362b930e7p-45},
    {0x1.b4e81b8p-1, 0x1.44d2b5e4b8p-3, -0x1.7062f6135f743p-46},
    {0x1.b374848p-1, 0x1.4ba3700fa5p-3, 0x1.79834281bfe0fp-45},
    {0x1.b20364p-1, 0x1.526e5e5a1bp-3, 0x1.0de9b90075bbap-45},
    {0x1.b094b3p-1, 0x1.59338e2582p-3, 0x1.0c3fab755ccf1p-48},
    {0x1.af286cp-1, 0x1.5ff3060a79p-3, 0x1.ea6439f0fa58ep-46},
    {0x1.adbe88p-1, 0x1.66acd4072bp-3, -0x1.578e900e4e24p-46},
    {0x1.ac57018p-1, 0x1.6d60ff459dp-3, 0x1.0e9e723b34353p-46},
    {0x1.aaf1d3p-1, 0x1.740f8f3003p-3, 0x1.e933b0dfcea81p-45},
    {0x1.a98ef6p-1, 0x1.7ab890410ep-3, -0x1.bdb8072534a2dp-45},
    {0x1.a82e65p-1, 0x1.815c0a7035p-3, 0x1.fabde4dbfca26p-45},
    {0x1.a6d01a8p-1, 0x1.87fa05f60dp-3, -0x1.bbd3b3fdbfdffp-45},
    {0x1.a574108p-1, 0x1.8e928dba87p-3, -0x1.5fa6b1b0a35aap-46},
    {0x1.a41a418p-1, 0x1.9525aa7f45p-3, 0x1.ad3bd04c1f09ep-45},
    {0x1.a2c2a88p-1, 0x1.9bb362d5ep-3, -0x1.1f2a391ce1004p-45},
    {0x1.a16d3f8p-1, 0x1.a23bc2722bp-3, 0x1.58d371c46c9dbp-45},
    {0x1.a01a018p-1, 0x1.a8bed06683p-3, -0x1.cdb728de3c29p-48},
    {0x1.9ec8e98p-1, 0x1.af3c94000cp-3, -0x1.8a9e33fed5211p-52},
    {0x1.9d79f18p-1, 0x1.b5b519bafbp-3, 0x1.691db37fdc11fp-45},
    {0x1.9c2d15p-1, 0x1.bc2866ead9p-3, -0x1.94dbe318bbe7ep-46},
    {0x1.9ae24e8p-1, 0x1.c2968612c2p-3, -0x1.cfb574ee36985p-45},
    {0x1.9999998p-1, 0x1.c8ff7cf9aap-3, -0x1.7784f689f7989p-45},
    {0x1.9852f1p-1, 0x1.cf63541c9cp-3, 0x1.7737bda07af0fp-45},
    {0x1.970e4f8p-1, 0x1.d5c216b8fcp-3, -0x1.1ba917bca681bp-45},
    {0x1.95cbb08p-1, 0x1.dc1bcb44bfp-3, -0x1.c08f0475b91fap-46},
    {0x1.948b1p-1, 0x1.e27075e2afp-3, 0x1.7374f543f5465p-46},
    {0x1.934c68p-1, 0x1.e8c0250aa6p-3, -0x1.6804b80e8e72ap-45},
    {0x1.920fb48p-1, 0x1.ef0add51c6p-3, -0x1.b25615c869ea7p-45},
    {0x1.90d4f1p-1, 0x1.f550a608b8p-3, -0x1.3223f6091ec8fp-45},
    {0x1.8f9c19p-1, 0x1.fb9186b5e4p-3, -0x1.d56eaab993d31p-47},
    {0x1.8e65278p-1, 0x1.00e6c4d3d5p-2, 0x1.d38ef52e914bbp-50},
    {0x1.8d3019p-1, 0x1.040258d74dp-2, 0x1.051009ef23164p-48},
    {0x1.8bfce8p-1, 0x1.071b860cd58p-2, 0x1.0d1f1707f9813p-46},
    {0x1.8acb91p-1, 0x1.0a324e0f39p-2, 0x1.c6c7e7ef400cep-47},
    {0x1.899c0f8p-1, 0x1.0d46b526ab8p-2, -0x1.695360df94de1p-47},
    {0x1.886e5fp-1, 0x1.1058bfb6e48p-2, 0x1.6a8f5fd055b4ap-45},
    {0x1.87427cp-1, 0x1.13686fa13a8p-2, 0x1.61deb314add7ep-47},
    {0x1.8618618p-1, 0x1.1675cacaba8p-2, -0x1.f1fa63382a89ap-46},
    {0x1.84f00cp-1, 0x1.1980d34542p-2, 0x1.b7dde7a364a5fp-45},
    {0x1.83c9778p-1, 0x1.1c898c88998p-2, 0x1.fb614e8e7cc95p-46},
    {0x1.82a4ap-1, 0x1.1f8ffa248ap-2, 0x1.7956c040cc921p-45},
    {0x1.8181818p-1, 0x1.22941fc0f78p-2, 0x1.65a262853da77p-46},
    {0x1.806018p-1, 0x1.2596011df78p-2, -0x1.c60ef76c57021p-46},
    {0x1.7f406p-1, 0x1.2895a0bde88p-2, -0x1.5c214b6d05aeap-46},
    {0x1.7e2255p-1, 0x1.2b9303e58ap-2, -0x1.6da4096bfa8b5p-45},
    {0x1.7d05f4p-1, 0x1.2e8e2bee12p-2, -0x1.67a1e99b7212dp-45},
    {0x1.7beb39p-1, 0x1.31871cf344p-2, 0x1.853fc14cf1371p-46},
    {0x1.7ad2208p-1, 0x1.347dd9cf88p-2, -0x1.558f394c57e56p-45},
    {0x1.79baa68p-1, 0x1.377266ccfd8p-2, 0x1.6ef35baca4c4ep-48},
    {0x1.78a4c8p-1, 0x1.3a64c596948p-2, -0x1.0b0c6865189b5p-45},
    {0x1.779081p-1, 0x1.3d54faa21f8p-2, -0x1.e0a5032e31911p-47},
    {0x1.767dce8p-1, 0x1.404307c26a8p-2, -0x1.b6babed994f57p-50},
    {0x1.756cacp-1, 0x1.432ef2f84e8p-2, 0x1.3f21b3a3e0c31p-50},
    {0x1.745d178p-1, 0x1.4618bb81c6p-2, -0x1.3cbaf484dd222p-46},
    {0x1.734f0c8p-1, 0x1.4900678b008p-2, 0x1.d13e6279731a5p-46},
    {0x1.724288p-1, 0x1.4be5f937778p-2, 0x1.41c699329398ap-47},
    {0x1.713787p-1, 0x1.4ec972bcp-2, 0x1.35038ef04a08ep-45},
    {0x1.702e06p-1, 0x1.51aad7c2df8p-2, 0x1.6fde49ea28a8p-49},
    {0x1.6f26018p-1, 0x1.548a2c0bddp-2, 0x1.31708730818bep-45},
    {0x1.6e1f768p-1, 0x1.57677206558p-2, 0x1.367d915b6cf0fp-45},
    {0x1.6d1a628p-1, 0x1.5a42aacc4dp-2, -0x1.e409d2df94207p-50},
    {0x1.6c16c18p-1, 0x1.5d1bdbbd808p-2, 0x1.ca690d8e0e8d5p-46},
    {0x1.6b14908p-1, 0x1.5ff3078179p-2, 0x1.ea1b8af1094cbp-45},
    {0x1.6a13cdp-1, 0x1.62c82f679c8p-2, -0x1.aad1c2837103p-48},
};

// The encoding of 0x1.6a8p-1: m's encoding minus this, shifted by 44, is the subinterval index, and
// 1.0 lies in the middle of subinterval 149.
inline constexpr std::uint64_t kLogOffset = 0x3fe6a80000000000u;
// ln2 in two pieces, the first of 42 bits: ed·kLn2Hi is exact for every exponent.
inline constexpr double kLn2Hi = 0x1.62e42fefa38p-1;
inline constexpr double kLn2Lo = 0x1.ef35793c7673p-45;

// log x for the encoding ix of a positive normal double x·2^-bias.
inline double log_of_normal(std::uint64_t ix, int bias) {
  using detail::bits_of;
  using detail::double_from_bits;
  const std::uint64_t z = ix - kLogOffset;
  const std::int64_t e = static_cast<std::int64_t>(z) >> 52;
  const Reciprocal& t = kLogTable[static_cast<unsigned>((z >> 44) & 255u)];
  const double m = double_from_bits(ix - (static_cast<std::uint64_t>(e) << 52));
  // m = m_hi + m_lo with m_hi of 26 significant bits and m_lo of at most 27: both products by c (26
  // bits) are exact, and m_hi·c - 1 is exact (Sterbenz) and a multiple of 2^-51, a grid no finer than
  // that of m_lo·c, so the quick two-sum gives r_hi + r_lo = m·c - 1 exactly.
  const double m_hi = double_from_bits(bits_of(m) & 0xfffffffff8000000u);
  const double m_lo = m - m_hi;
  double r_hi, r_lo;
  detail::fast_two_sum(m_hi * t.c - 1.0, m_lo * t.c, r_hi, r_lo);
  const double ed = static_cast<double>(e + bias);
  // a = e·ln2_hi + log(1/c)_hi is exact (both on the grid of 2^-43, |a| < 2^10), and a + r_hi = b + b_err
  // exactly: a dominates r_hi unless it is 0 (outside entry 149, |log c| exceeds the subinterval's
  // largest |r|).
  const double a = ed * kLn2Hi + t.minus_log_hi;
  double b, b_err;
  detail::fast_two_sum(a, r_hi, b, b_err);
  // log1p(r) - r = r^2·(-1/2 + r·(1/3 - r/4 + r^2/5 - r^3/6 + r^4/7)), Taylor's polynomial: |r| < 2^-8.99,
  // so the truncation is below 2^-65.9·|r|. Rounding r^2 and leaving out r_hi·r_lo err by less than
  // 2^-70 absolute, which is below 2^-60 of the result: that is at least |r|/2, or 2^-10 outside
  // entry 149 (and r_lo is 0 in entry 149, where c = 1).
  // The polynomial is in Estrin's form, three pairs of terms joined by r^2 and r^4, for a short chain.
  const double r2 = r_hi * r_hi;
  const double r4 = r2 * r2;
  const double poly = ((r_hi * 0x1.5555555555555p-2 - 0.5) + r2 * (r_hi * 0x1.999999999999ap-3 - 0.25)) +
                      r4 * (r_hi * 0x1.2492492492492p-3 - 0x1.5555555555555p-3);
  const double lo = (((ed * kLn2Lo + t.minus_log_lo) + b_err) + r_lo) + r2 * poly;
  return b + lo;
}

// log x for ±0, subnormals, negative x, +inf and NaN.
double log_special(double x);

}  // namespace log_detail

inline double log(double x) {
  const std::uint64_t ix = detail::bits_of(x);
  if (ix - 0x0010000000000000u < 0x7fe0000000000000u) return log_detail::log_of_normal(ix, 0);
  return log_detail::log_special(x);
}

}  // namespace elementary
}  // namespace numerics
