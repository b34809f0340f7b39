// Correctly rounded expf and logf: a table-driven evaluation in double, rounded to float, and a
// double-double evaluation taken only when the double result lies too close to a float rounding
// boundary for its error bound to decide the rounding.
#include <cstdint>
#include <limits>

#include "numerics/elementary.h"
#include "numerics/elementary_bits.h"

namespace numerics {
namespace elementary {

namespace {

using detail::bits_of;
using detail::double_from_bits;
using detail::fast_two_sum;
using detail::two_product;
using detail::two_sum;

// The table values below were computed with MPFR at 400 bits and rounded to nearest: each entry is
// the double nearest the exact value and, where there is a second column, the double nearest the
// remainder, so that the pair carries about 106 bits.

// 2^(j/64), j = 0..63.
struct PowerOfTwo {
  double hi, lo;
};
constexpr PowerOfTwo kExpTable[64] = {
    {0x1p+0, 0x0p+0},
    {0x1.02c9a3e778061p+0, -0x1.19083535b085dp-56},
    {0x1.059b0d3158574p+0, 0x1.d73e2a475b465p-55},
    {0x1.0874518759bc8p+0, 0x1.186be4bb284ffp-57},
    {0x1.0b5586cf9890fp+0, 0x1.8a62e4adc610bp-54},
    {0x1.0e3ec32d3d1a2p+0, 0x1.03a1727c57b53p-59},
    {0x1.11301d0125b51p+0, -0x1.6c51039449b3ap-54},
    {0x1.1429aaea92dep+0, -0x1.32fbf9af1369ep-54},
    {0x1.172b83c7d517bp+0, -0x1.19041b9d78a76p-55},
    {0x1.1a35beb6fcb75p+0, 0x1.e5b4c7b4968e4p-55},
    {0x1.1d4873168b9aap+0, 0x1.e016e00a2643cp-54},
    {0x1.2063b88628cd6p+0, 0x1.dc775814a8495p-55},
    {0x1.2387a6e756238p+0, 0x1.9b07eb6c70573p-54},
    {0x1.26b4565e27cddp+0, 0x1.2bd339940e9d9p-55},
    {0x1.29e9df51fdee1p+0, 0x1.612e8afad1255p-55},
    {0x1.2d285a6e4030bp+0, 0x1.0024754db41d5p-54},
    {0x1.306fe0a31b715p+0, 0x1.6f46ad23182e4p-55},
    {0x1.33c08b26416ffp+0, 0x1.32721843659a6p-54},
    {0x1.371a7373aa9cbp+0, -0x1.63aeabf42eae2p-54},
    {0x1.3a7db34e59ff7p+0, -0x1.5e436d661f5e3p-56},
    {0x1.3dea64c123422p+0, 0x1.ada0911f09ebcp-55},
    {0x1.4160a21f72e2ap+0, -0x1.ef3691c309278p-58},
    {0x1.44e086061892dp+0, 0x1.89b7a04ef80dp-59},
    {0x1.486a2b5c13cdp+0, 0x1.3c1a3b69062fp-56},
    {0x1.4bfdad5362a27p+0, 0x1.d4397afec42e2p-56},
    {0x1.4f9b2769d2ca7p+0, -0x1.4b309d25957e3p-54},
    {0x1.5342b569d4f82p+0, -0x1.07abe1db13cadp-55},
    {0x1.56f4736b527dap+0, 0x1.9bb2c011d93adp-54},
    {0x1.5ab07dd485429p+0, 0x1.6324c054647adp-54},
    {0x1.5e76f15ad2148p+0, 0x1.ba6f93080e65ep-54},
    {0x1.6247eb03a5585p+0, -0x1.383c17e40b497p-54},
    {0x1.6623882552225p+0, -0x1.bb60987591c34p-54},
    {0x1.6a09e667f3bcdp+0, -0x1.bdd3413b26456p-54},
    {0x1.6dfb23c651a2fp+0, -0x1.bbe3a683c88abp-57},
    {0x1.71f75e8ec5f74p+0, -0x1.16e4786887a99p-55},
    {0x1.75feb564267c9p+0, -0x1.0245957316dd3p-54},
    {0x1.7a11473eb0187p+0, -0x1.41577ee04992fp-55},
    {0x1.7e2f336cf4e62p+0, 0x1.05d02ba15797ep-56},
    {0x1.82589994cce13p+0, -0x1.d4c1dd41532d8p-54},
    {0x1.868d99b4492edp+0, -0x1.fc6f89bd4f6bap-54},
    {0x1.8ace5422aa0dbp+0, 0x1.6e9f156864b27p-54},
    {0x1.8f1ae99157736p+0, 0x1.5cc13a2e3976cp-55},
    {0x1.93737b0cdc5e5p+0, -0x1.75fc781b57ebcp-57},
    {0x1.97d829fde4e5p+0, -0x1.d185b7c1b85d1p-54},
    {0x1.9c49182a3f09p+0, 0x1.c7c46b071f2bep-56},
    {0x1.a0c667b5de565p+0, -0x1.359495d1cd533p-54},
    {0x1.a5503b23e255dp+0, -0x1.d2f6edb8d41e1p-54},
    {0x1.a9e6b5579fdbfp+0, 0x1.0fac90ef7fd31p-54},
    {0x1.ae89f995ad3adp+0, 0x1.7a1cd345dcc81p-54},
    {0x1.b33a2b84f15fbp+0, -0x1.2805e3084d708p-57},
    {0x1.b7f76f2fb5e47p+0, -0x1.5584f7e54ac3bp-56},
    {0x1.bcc1e904bc1d2p+0, 0x1.23dd07a2d9e84p-55},
    {0x1.c199bdd85529cp+0, 0x1.11065895048ddp-55},
    {0x1.c67f12e57d14bp+0, 0x1.2884dff483cadp-54},
    {0x1.cb720dcef9069p+0, 0x1.503cbd1e949dbp-56},
    {0x1.d072d4a07897cp+0, -0x1.cbc3743797a9cp-54},
    {0x1.d5818dcfba487p+0, 0x1.2ed02d75b3707p-55},
    {0x1.da9e603db3285p+0, 0x1.c2300696db532p-54},
    {0x1.dfc97337b9b5fp+0, -0x1.1a5cd4f184b5cp-54},
    {0x1.e502ee78b3ff6p+0, 0x1.39e8980a9cc8fp-55},
    {0x1.ea4afa2a490dap+0, -0x1.e9c23179c2893p-54},
    {0x1.efa1bee615a27p+0, 0x1.dc7f486a4b6bp-54},
    {0x1.f50765b6e454p+0, 0x1.9d3e12dd8a18bp-54},
    {0x1.fa7c1819e90d8p+0, 0x1.74853f3a5931ep-55},
};

// Cody-Waite pieces of ln2/64: kd·kLn2Over64Hi is exact for |k| < 2^14 (38 significant bits), the
// three pieces sum to ln2/64 within 2^-140 relative.
constexpr double kLn2Over64Hi = 0x1.62e42fefap-7;
constexpr double kLn2Over64Mid = 0x1.cf79abc9e3b3ap-46;
constexpr double kLn2Over64Lo = -0x1.ff0342542fc33p-100;
constexpr double k64OverLn2 = 0x1.71547652b82fep+6;
// (ln2/64)^i/i!, the Taylor coefficients of 2^(r/64) (MPFR, rounded to nearest).
constexpr double kExpCoefficient1 = 0x1.62e42fefa39efp-7;
constexpr double kExpCoefficient2 = 0x1.ebfbdff82c58fp-15;
constexpr double kExpCoefficient3 = 0x1.c6b08d704a0cp-23;
constexpr double kExpCoefficient4 = 0x1.3b2ab6fba4e77p-31;
// Adding and subtracting 1.5·2^52 rounds a double below 2^51 in magnitude to the nearest integer.
constexpr double kShifter = 0x1.8p52;

// For logf, c_j is 1/(1 + j/128) rounded to 29 significant bits, so that m·c_j is exact for a
// mantissa m of 24 bits; minus_log is -log(c_j), less ln2 for j >= 64 (the caller adds one to the
// exponent for those), as a double-double. Entry 128 is c = 1/2 with minus_log exactly 0, so that
// logf near 1 from below suffers no cancellation.
struct Reciprocal {
  double c, minus_log_hi, minus_log_lo;
};
constexpr Reciprocal kLogTable[129] = {
    {0x1p+0, 0x0p+0, 0x0p+0},
    {0x1.fc07f02p-1, 0x1.fe02a69106789p-8, -0x1.d44b7e3713414p-67},
    {0x1.f81f82p-1, 0x1.fc0a890fc03e4p-7, 0x1.f3db4e851a025p-64},
    {0x1.f44659ep-1, 0x1.7b91b1155b11bp-6, -0x1.2e402acdf2de5p-60},
    {0x1.f07c1fp-1, 0x1.f829b1e7833p-6, 0x1.b3e3f05074478p-60},
    {0x1.ecc07b3p-1, 0x1.39e87ba1ebd6p-5, -0x1.5bf6937f551b8p-59},
    {0x1.e9131acp-1, 0x1.77458f532dcfcp-5, 0x1.19d3ca87b8d41p-59},
    {0x1.e573ac9p-1, 0x1.b42dd713971bfp-5, -0x1.eb8f59c130494p-60},
    {0x1.e1e1e1ep-1, 0x1.f0a30c21162a6p-5, 0x1.89f325c5be577p-59},
    {0x1.de5d6e4p-1, 0x1.16536ee637ae1p-4, -0x1.795a3e8c22e2fp-60},
    {0x1.dae6077p-1, 0x1.341d793bbd1d1p-4, -0x1.aa51f227d0a86p-58},
    {0x1.d77b655p-1, 0x1.51b073c96183fp-4, 0x1.b08039a1956fp-58},
    {0x1.d41d41dp-1, 0x1.6f0d28d256b4cp-4, -0x1.864d99183c692p-58},
    {0x1.d0cb58fp-1, 0x1.8c345da019b21p-4, -0x1.8765eac3ccc7bp-63},
    {0x1.cd85689p-1, 0x1.a926d3a6ad563p-4, 0x1.943748aa70eb4p-58},
    {0x1.ca4b305p-1, 0x1.c5e5492abc743p-4, 0x1.b5297ef8d7f4cp-60},
    {0x1.c71c71cp-1, 0x1.e2707722af2e6p-4, -0x1.c2af000115819p-61},
    {0x1.c3f8f02p-1, 0x1.fec912fbbeabbp-4, -0x1.4e3eb99828022p-58},
    {0x1.c0e0704p-1, 0x1.0d77e7a908e59p-3, 0x1.ae9dc5e8c64acp-57},
    {0x1.bdd2b8ap-1, 0x1.1b72ad33f67ap-3, 0x1.66382346df429p-58},
    {0x1.bacf915p-1, 0x1.29552f6fff523p-3, 0x1.352771c40043fp-57},
    {0x1.b7d6c3ep-1, 0x1.371fc1f6e8f74p-3, 0x1.e234b62aee12ap-58},
    {0x1.b4e81b5p-1, 0x1.44d2b6c5b7d1ep-3, 0x1.a0136543e1862p-57},
    {0x1.b20364p-1, 0x1.526e5e5a1b438p-3, -0x1.646ff8a44628fp-57},
    {0x1.af286bdp-1, 0x1.5ff306ee793d4p-3, -0x1.a3e0efb000219p-58},
    {0x1.ac5701bp-1, 0x1.6d60fe601d21dp-3, -0x1.c5e5268ed412p-57},
    {0x1.a98ef6p-1, 0x1.7ab890410d909p-3, 0x1.fe36b2d74b0b3p-59},
    {0x1.a6d01a7p-1, 0x1.87fa06438c911p-3, -0x1.bc36dbfa0cd1dp-57},
    {0x1.a41a41ap-1, 0x1.9525a9e3456b4p-3, 0x1.df44c1d4ed4dp-57},
    {0x1.a16d3f9p-1, 0x1.a23bc223ab563p-3, 0x1.eb551b08bc414p-59},
    {0x1.9ec8e95p-1, 0x1.af3c94ed0bff3p-3, -0x1.38c4ff364145p-58},
    {0x1.9c2d14fp-1, 0x1.bc28673a58cd6p-3, 0x1.521074486f5bep-58},
    {0x1.999999ap-1, 0x1.c8ff7c59a9a22p-3, -0x1.3f689f845eabcp-57},
    {0x1.970e4f8p-1, 0x1.d5c216b8fbb91p-3, 0x1.6e843597e4e95p-57},
    {0x1.948b0fdp-1, 0x1.e27076d5af2e6p-3, -0x1.56c78001eb877p-59},
    {0x1.920fb4ap-1, 0x1.ef0adcaec5936p-3, 0x1.4be77950d7bbdp-57},
    {0x1.8f9c19p-1, 0x1.fb9186b5e3e2bp-3, -0x1.baaae64f4c576p-57},
    {0x1.8d3018dp-1, 0x1.040259530d041p-2, -0x1.252b217a4b499p-57},
    {0x1.8acb90fp-1, 0x1.0a324e38b90e3p-2, 0x1.8761de807daap-56},
    {0x1.886e5f1p-1, 0x1.1058bf8d24ad5p-2, 0x1.a19c0ab495094p-58},
    {0x1.8618618p-1, 0x1.1675cacaba60ep-2, 0x1.6731f55d970e1p-60},
    {0x1.83c977bp-1, 0x1.1c898c09d99fbp-2, -0x1.7a28c5613cfa8p-61},
    {0x1.8181818p-1, 0x1.22941fc0f7966p-2, -0x1.7675eb096235ap-56},
    {0x1.7f405fdp-1, 0x1.2895a13e286a3p-2, 0x1.7ad2cc13f040fp-56},
    {0x1.7d05f41p-1, 0x1.2e8e2bc311d31p-2, -0x1.8184db95bba39p-56},
    {0x1.7ad2209p-1, 0x1.347dd9a447d55p-2, -0x1.4c1bc58093216p-57},
    {0x1.78a4c81p-1, 0x1.3a64c56b145eap-2, -0x1.ac42519405da1p-57},
    {0x1.767dce4p-1, 0x1.404308716a7e4p-2, -0x1.0947b608291adp-56},
    {0x1.745d174p-1, 0x1.4618bc31c5ec2p-2, 0x1.fc2decdee2472p-56},
    {0x1.724287fp-1, 0x1.4be5f963b78a1p-2, -0x1.1c3a35b034edcp-57},
    {0x1.702e05cp-1, 0x1.51aad874df82dp-2, 0x1.3a27ac19f5b38p-59},
    {0x1.6e1f76bp-1, 0x1.5767718015a6cp-2, 0x1.56bb5b283ed3bp-56},
    {0x1.6c16c17p-1, 0x1.5d1bdbea809cap-2, 0x1.45fe383dc10f6p-56},
    {0x1.6a13cd1p-1, 0x1.62c82f3a5c795p-2, 0x1.8913f915517bcp-57},
    {0x1.6816817p-1, 0x1.686c81d3314afp-2, -0x1.be460f7fcf8adp-57},
    {0x1.661ec6ap-1, 0x1.6e08eab13a1e4p-2, -0x1.c91fb39c93c02p-56},
    {0x1.642c859p-1, 0x1.739d7f6dbd007p-2, -0x1.8c56ceb014a59p-56},
    {0x1.623fa77p-1, 0x1.792a55fe147a2p-2, 0x1.f057e91fe9ed7p-56},
    {0x1.605816p-1, 0x1.7eaf83c82afc3p-2, 0x1.9ace979ee7ea6p-56},
    {0x1.5e75bb9p-1, 0x1.842d1d9928b17p-2, 0x1.2750d19780ea3p-56},
    {0x1.5c9882cp-1, 0x1.89a338581425bp-2, -0x1.1ce39dfbe8ba5p-56},
    {0x1.5ac056bp-1, 0x1.8f11e873a62c7p-2, 0x1.f85e2755a61a3p-56},
    {0x1.58ed231p-1, 0x1.947941aa916fbp-2, -0x1.058a8bae4f562p-56},
    {0x1.571ed3cp-1, 0x1.99d958207e08bp-2, -0x1.94a6889da0bf2p-57},
    {0x1.5555555p-1, -0x1.269621034db92p-2, -0x1.d8efadd9c5ad5p-56},
    {0x1.5390949p-1, -0x1.214456d32b8d4p-2, -0x1.f75d91aeba7fp-57},
    {0x1.51d07ebp-1, -0x1.1bf9963b26b95p-2, 0x1.1492b84247669p-57},
    {0x1.5015015p-1, -0x1.16b5ccba8fb73p-2, -0x1.66fb528b40935p-56},
    {0x1.4e5e0a7p-1, -0x1.1178e8197e47cp-2, 0x1.1373a5f024011p-57},
    {0x1.4cab887p-1, -0x1.0c42d66ed62e3p-2, -0x1.0f9a79d5c92e8p-58},
    {0x1.4afd6ap-1, -0x1.071385f4d5862p-2, -0x1.c5b16ed4d3be3p-56},
    {0x1.49539e4p-1, -0x1.01eae5716c691p-2, 0x1.50690bd2068e2p-59},
    {0x1.47ae148p-1, -0x1.f991c6eb3b379p-3, -0x1.e665066fc2b4cp-57},
    {0x1.460cbc8p-1, -0x1.ef5ade51cffe6p-3, 0x1.092b2ddc705f6p-58},
    {0x1.446f865p-1, -0x1.e530efd771012p-3, -0x1.86cc083c1c203p-60},
    {0x1.42d6626p-1, -0x1.db13db1e4894p-3, -0x1.a109d49fa396ep-58},
    {0x1.4141414p-1, -0x1.d1037f1e55e7bp-3, -0x1.5f629242466f7p-57},
    {0x1.3fb014p-1, -0x1.c6ffbc8f00f71p-3, 0x1.9e58b2c54f9fap-57},
    {0x1.3e22cbdp-1, -0x1.bd08738ebd8adp-3, -0x1.ce155f6a5f4adp-60},
    {0x1.3c995a4p-1, -0x1.b31d8543bce3dp-3, 0x1.8a63ab390d578p-57},
    {0x1.3b13b14p-1, -0x1.a93ed3e8ad9e3p-3, -0x1.acafa9dec1caep-57},
    {0x1.3991c2cp-1, -0x1.9f6c406689664p-3, -0x1.2f619605e149ap-59},
    {0x1.3813814p-1, -0x1.95a5ae037017fp-3, -0x1.7f58a1024b9cfp-59},
    {0x1.3698df4p-1, -0x1.8beafec18fe8cp-3, -0x1.4f8a8b699ec96p-58},
    {0x1.3521cfbp-1, -0x1.823c16431a3c2p-3, 0x1.1742ce70c6101p-57},
    {0x1.33ae45bp-1, -0x1.7898d82fc4c73p-3, -0x1.c5ed6ebc7c7ep-58},
    {0x1.323e34ap-1, -0x1.6f0128a556abcp-3, 0x1.92f59c21e8fecp-57},
    {0x1.30d1901p-1, -0x1.6574ebd44133ap-3, 0x1.03eb87a33dbe4p-59},
    {0x1.2f684bep-1, -0x1.5bf406dd43db2p-3, 0x1.57ada25dd5149p-60},
    {0x1.2e025cp-1, -0x1.527e5e2a1b58dp-3, 0x1.38d4b41320354p-60},
    {0x1.2c9fb4ep-1, -0x1.4913d8693b561p-3, 0x1.6876049175035p-58},
    {0x1.2b404adp-1, -0x1.3fb45a59128ccp-3, 0x1.d87f6a354d057p-57},
    {0x1.29e412ap-1, -0x1.365fcb0d59016p-3, -0x1.78c11a5b98cadp-58},
    {0x1.288b013p-1, -0x1.2d1610fbe813ap-3, 0x1.9c7c3f244be16p-58},
    {0x1.27350b9p-1, -0x1.23d712db9c202p-3, 0x1.9d7c160f79344p-57},
    {0x1.25e2271p-1, -0x1.1aa2b819bf72ap-3, 0x1.43b98ecbda4abp-58},
    {0x1.2492492p-1, -0x1.1178e8027e47cp-3, 0x1.2e63a5f071be6p-58},
    {0x1.2345679p-1, -0x1.08598b8663a07p-3, 0x1.fc61098fb9357p-57},
    {0x1.21fb781p-1, -0x1.fe89137fbd566p-4, 0x1.b3a7421602033p-58},
    {0x1.20b470cp-1, -0x1.ec7397d4a112p-4, 0x1.137fcc8cbde4ap-58},
    {0x1.1f7047ep-1, -0x1.da727670446a2p-4, -0x1.279fa7176c2c3p-58},
    {0x1.1e2ef3bp-1, -0x1.c8857fe2c4b23p-4, -0x1.8a2ab5596a27ap-58},
    {0x1.1cf06aep-1, -0x1.b6ac892ed5b1cp-4, 0x1.6e97eed04879fp-59},
    {0x1.1bb4a4p-1, -0x1.a4e763cb1bc38p-4, 0x1.7b5ca204397afp-58},
    {0x1.1a7b961p-1, -0x1.9335e5bd94989p-4, 0x1.4c0a8570514b7p-58},
    {0x1.1945381p-1, -0x1.8197e35d0e3fp-4, -0x1.85ab8007489cap-62},
    {0x1.1811812p-1, -0x1.700d3122ac0e1p-4, 0x1.2ed59880bb3ecp-59},
    {0x1.16e0689p-1, -0x1.5e95a49c791cbp-4, -0x1.d67545c57a6d9p-58},
    {0x1.15b1e5fp-1, -0x1.4d31156607eacp-4, -0x1.1b7f42c5ea1ccp-58},
    {0x1.1485f0ep-1, -0x1.3bdf5a731ee64p-4, -0x1.79076d3b5a9f5p-59},
    {0x1.135c811p-1, -0x1.2aa04a12717a5p-4, 0x1.e4e538d322f02p-58},
    {0x1.12358e7p-1, -0x1.1973bcbd65567p-4, 0x1.eb9c367c1785ep-59},
    {0x1.1111111p-1, -0x1.08598b49e3a07p-4, 0x1.df7009902d488p-58},
    {0x1.0fef011p-1, -0x1.eea31c026b87cp-5, 0x1.3e53c93b7b66ap-59},
    {0x1.0ecf56cp-1, -0x1.ccb73d0ddb2ccp-5, 0x1.ed8fb05005fd4p-59},
    {0x1.0db20a9p-1, -0x1.aaef2de5b10fcp-5, 0x1.283c44b0a91aep-61},
    {0x1.0c9715p-1, -0x1.894aa1c9fb343p-5, -0x1.28be97675f792p-60},
    {0x1.0b7e6ecp-1, -0x1.67c94ee54bb58p-5, -0x1.dfa7cca080007p-60},
    {0x1.0a6810ap-1, -0x1.466aec7ade3e9p-5, -0x1.95e90808d3bd8p-59},
    {0x1.0953f39p-1, -0x1.252f32f6d183fp-5, 0x1.9483792615919p-59},
    {0x1.0842108p-1, -0x1.0415d81e74444p-5, -0x1.805cf1d6a8b77p-59},
    {0x1.073260ap-1, -0x1.c63d2da94aaf1p-6, -0x1.98dcf595d58a4p-60},
    {0x1.0624dd3p-1, -0x1.849252c48cabfp-6, 0x1.d7b2d0619c13cp-60},
    {0x1.05197f8p-1, -0x1.432a92f980cc1p-6, 0x1.bedaf38fb0c3dp-60},
    {0x1.041041p-1, -0x1.0205648935847p-6, -0x1.4f91d08032393p-61},
    {0x1.03091b5p-1, -0x1.824489408a2aap-7, -0x1.1922c26eaae15p-63},
    {0x1.0204081p-1, -0x1.010157488de71p-7, -0x1.45e62d417ce25p-62},
    {0x1.010101p-1, -0x1.0080549588b35p-8, -0x1.d96638cf4e121p-62},
    {0x1p-1, 0x0p+0, 0x0p+0},
};

// ln2 in double, and in two pieces, the first of 44 bits so that e·kLn2Hi is exact for |e| < 2^9.
constexpr double kLn2 = 0x1.62e42fefa39efp-1;
constexpr double kLn2Hi = 0x1.62e42fefa3ap-1;
constexpr double kLn2Lo = -0x1.0ca86c3898dp-49;

// A double y close to a float, rounded to float with round-to-nearest: the rounding is decided by the
// low 29 bits of its significand (the midpoint between two floats has them equal to 2^28). This tells
// whether y lies within `tolerance` units in the last place of y of such a midpoint; the callers pick
// the tolerance from the relative error bound ε of y as ε·2^53, which covers |y| anywhere in its binade.
inline bool near_float_midpoint(double y, std::uint64_t tolerance) {
  const std::uint64_t low =
      (bits_of(y) + tolerance - (std::uint64_t{1} << 28)) & ((std::uint64_t{1} << 29) - 1);
  return low <= 2 * tolerance;
}

// Whether y (finite, not zero) lies exactly halfway between two adjacent floats, or between the largest
// float and 2^128 (where rounding to nearest turns to overflow). Every such point is a double.
inline bool is_float_midpoint(double y) {
  const std::uint64_t magnitude = bits_of(y) & 0x7fffffffffffffffu;
  if (magnitude >= 0x3810000000000000u) {  // |y| >= 2^-126: the float keeps the upper 24 bits of 53
    return (magnitude & 0x1fffffffu) == 0x10000000u;
  }
  // Below 2^-126 the floats are the multiples of 2^-149: y is a midpoint when |y|·2^150 is an odd integer.
  const double t = double_from_bits(magnitude) * 0x1p150;
  const double shifted = t + kShifter;
  return shifted - kShifter == t && (bits_of(shifted) & 1u) != 0;
}

// hi + lo rounded once to float, for a normalised pair (|lo| at most half an ulp of hi, hi not zero).
// hi + lo lies between hi and its neighbour towards lo, and no double lies strictly between the two, so
// no midpoint does either: hi rounds as hi + lo does unless hi is itself a midpoint, and then the
// neighbour (which is not one) does.
inline float round_pair_to_float(double hi, double lo) {
  if (lo != 0.0 && is_float_midpoint(hi)) {
    const std::uint64_t b = bits_of(hi);
    hi = double_from_bits((lo > 0.0) == (hi > 0.0) ? b + 1 : b - 1);
  }
  return static_cast<float>(hi);
}

// The argument reduction shared by both expf paths: z = x·64/ln2 rounded, k = round(z), and
// 2^(k/64) = 2^e·kExpTable[j]. k is read from the low bits of z + 1.5·2^52, where the unit is 1.
struct ExpReduction {
  double z, kd;
  unsigned j;
  double scale;  // 2^e
};
inline ExpReduction reduce_exp(double xd) {
  const double z = xd * k64OverLn2;
  const double shifted = z + kShifter;
  // |k| < 2^14: k + 2^17 is positive, and taken modulo 2^32 from the low bits of `shifted`.
  const std::uint32_t biased = static_cast<std::uint32_t>(bits_of(shifted)) + 0x20000u;
  const unsigned j = biased & 63u;
  const std::uint64_t exponent = (biased >> 6) - 2048u + 1023u;  // e + 1023, with e in [-150, 104]
  return {z, shifted - kShifter, j, double_from_bits(exponent << 52)};
}

// exp(x) as a double-double of relative error below 2^-75, for |x| < 104.
float expf_accurate(double xd) {
  const ExpReduction red = reduce_exp(xd);
  // r = x - k·ln2/64 as rh + rl: the first difference is exact (Sterbenz), the product by the middle
  // piece is split exactly, and the last piece is far below the precision needed.
  const double r0 = xd - red.kd * kLn2Over64Hi;
  double ph, pl, s, se, rh, rl;
  two_product(red.kd, kLn2Over64Mid, ph, pl);
  two_sum(r0, -ph, s, se);
  two_sum(s, (se - pl) - red.kd * kLn2Over64Lo, rh, rl);
  // exp(r) = 1 + r + r^2/2 + r^3·(1/6 + r/24 + ...): the square of rh is exact, the tail of the
  // series (below 2^-25) is evaluated in double up to r^8: its rounding errors stay below 2^-76 and its
  // truncation below 2^-85.
  double sq, sqe;
  two_product(rh, rh, sq, sqe);
  const double tail =
      rh * sq *
      (1.0 / 6 +
       rh * (1.0 / 24 + rh * (1.0 / 120 + rh * (1.0 / 720 + rh * (1.0 / 5040 + rh * (1.0 / 40320))))));
  double a, ae, b, be;
  fast_two_sum(1.0, rh, a, ae);
  two_sum(a, 0.5 * sq, b, be);
  const double low = ((((ae + be) + rl) + 0.5 * sqe) + rh * rl) + tail;
  double p_hi, p_lo;
  fast_two_sum(b, low, p_hi, p_lo);
  // times 2^(j/64) as a double-double, then times 2^e (exact: the result stays a normal double).
  const PowerOfTwo& t = kExpTable[red.j];
  double y_hi, y_err, y_sum, y_lo;
  two_product(t.hi, p_hi, y_hi, y_err);
  fast_two_sum(y_hi, (y_err + t.hi * p_lo) + t.lo * p_hi, y_sum, y_lo);
  return round_pair_to_float(y_sum * red.scale, y_lo * red.scale);
}

// log(x) as a double-double of relative error below 2^-67, for a positive finite x; e, j and r as in
// logf below.
float logf_accurate(double ed, unsigned j, double r) {
  const Reciprocal& t = kLogTable[j];
  double a, ae;
  two_sum(ed * kLn2Hi, t.minus_log_hi, a, ae);
  // log1p(r) = r - r^2/2 + r^3·(1/3 - r/4 + ...), |r| <= 2^-8: the square is exact, the tail (below
  // 2^-25) is evaluated in double up to r^10: its rounding errors stay below 2^-77 absolute, or 2^-69
  // relative to r, and its truncation below 2^-91.
  double sq, sqe;
  two_product(r, r, sq, sqe);
  const double tail =
      r * sq *
      (1.0 / 3 -
       r * (0.25 - r * (0.2 - r * (1.0 / 6 - r * (1.0 / 7 - r * (0.125 - r * (1.0 / 9 - r * 0.1)))))));
  double b, be, c, ce;
  two_sum(a, r, b, be);
  two_sum(b, -0.5 * sq, c, ce);
  const double low = ((((ae + (ed * kLn2Lo + t.minus_log_lo)) + be) + ce) - 0.5 * sqe) + tail;
  double hi, lo;
  fast_two_sum(c, low, hi, lo);
  return round_pair_to_float(hi, lo);
}

}  // namespace

float expf(float x) {
  const std::uint32_t magnitude = bits_of(x) & 0x7fffffffu;
  if (magnitude >= 0x42d00000u) {  // |x| >= 104, ±inf or NaN
    if (magnitude > 0x7f800000u) return x + x;
    // exp(104) > 2^128 overflows and exp(-104) < 2^-150 rounds to zero.
    return (bits_of(x) >> 31) != 0 ? 0.0f : std::numeric_limits<float>::infinity();
  }
  const double xd = static_cast<double>(x);
  const ExpReduction red = reduce_exp(xd);
  // exp(x) = 2^(k/64)·2^(r/64) with r = z - k, exact, |r| <= 1/2. z errs by at most 2^-40 (|z| < 2^14),
  // which is 2^-46.5 relative in the result.
  const double r = red.z - red.kd;
  // 2^(r/64) = exp(r·ln2/64) by its Taylor polynomial of degree 4 (truncation below 2^-44.5), in
  // Estrin's form for a short dependency chain: t = 2^(k/64) is ready before the polynomial and is
  // multiplied into its two halves, so that the last step is an addition, not a product after one.
  const double r2 = r * r;
  const double t = red.scale * kExpTable[red.j].hi;
  const double y = t * (1.0 + kExpCoefficient1 * r) +
                   (t * r2) * ((kExpCoefficient2 + kExpCoefficient3 * r) + kExpCoefficient4 * r2);
  // y errs by less than 2^-44 relative; the test below allows 2^-42, 2048 ulps of y.
  if (y < 0x1p-126) {
    // Subnormal float result: the rounding grid is coarser than the binade of y, so the bound is
    // checked by rounding both ends of the interval y·(1 ± 2^-42).
    const double d = y * 0x1p-42;
    if (static_cast<float>(y - d) != static_cast<float>(y + d)) return expf_accurate(xd);
  } else if (near_float_midpoint(y, 2048)) {
    return expf_accurate(xd);
  }
  return static_cast<float>(y);
}

float logf(float x) {
  std::uint32_t u = bits_of(x);
  int bias = 0;
  if (u - 0x00800000u >= 0x7f000000u) {  // ±0, subnormal, negative, +inf or NaN
    if ((u & 0x7fffffffu) == 0) return -std::numeric_limits<float>::infinity();
    if ((u & 0x7fffffffu) > 0x7f800000u) return x + x;
    if (u == 0x7f800000u) return x;
    if ((u >> 31) != 0) return std::numeric_limits<float>::quiet_NaN();
    // Positive subnormal: 2^23·x is normal and exact.
    u = bits_of(x * 0x1p23f);
    bias = -23;
  }
  // x = 2^e·m, m in [1, 2), and m = (1 + j/128)(1 + r) with j = round(128·(m - 1)): r = m·c_j - 1 is
  // exact and |r| <= 2^-8. e counts one more for j >= 64, whose table entry holds log(1/c_j) - ln2.
  // e, j and m are read from the float's own bits, which saves the conversion to double on the path
  // to the table.
  const unsigned j = (((u >> 15) & 0xffu) + 1u) >> 1;
  const int e = static_cast<int>(u >> 23) - 127 + bias + static_cast<int>((j + 64u) >> 7);
  const double m = double_from_bits((static_cast<std::uint64_t>(u & 0x7fffffu) << 29) | 0x3ff0000000000000u);
  const double r = m * kLogTable[j].c - 1.0;
  const double ed = static_cast<double>(e);
  // Taylor polynomial of log1p of degree 5 in Estrin's form: truncation below 2^-42.5 relative. The
  // table part joins r first, while r^2 and r^4 are formed.
  const double r2 = r * r;
  const double y = ((ed * kLn2 + kLogTable[j].minus_log_hi) + r) +
                   (r2 * (-0.5 + r * (1.0 / 3)) + (r2 * r2) * (-0.25 + r * 0.2));
  // y errs by less than 2^-42 relative: the result has no cancellation beyond a factor 3, since
  // |log x| is at least a third of |e·ln2 + log(1/c_j)| when that is not zero. The test below allows
  // 2^-40, 8192 ulps of y. log(1) = +0 exactly.
  if (near_float_midpoint(y, 8192)) return logf_accurate(ed, j, r);
  return static_cast<float>(y);
}

}  // namespace elementary
}  // namespace numerics
