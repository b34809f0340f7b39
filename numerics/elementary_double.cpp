// Double-precision exp, from a 256-entry table of MPFR-computed hex-float constants and a short Taylor
// polynomial with the final addition carried in extra precision, so that results are nearly always
// correctly rounded (error below 0.51 ulp); and log's special arguments (its main path is inline, in
// elementary_log.h). Only + - * / on IEEE doubles, no FMA.
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
using detail::power_of_two;
using detail::scale_by_power_of_two;
using detail::two_sum;

// 2^(j/256), j = 0..255, as hi + lo: hi is the exact value rounded to 26 significant bits, so that its
// product by a 26-bit number is exact, and lo the double nearest the remainder (MPFR at 400 bits);
// together they carry 79 bits.
struct PowerOfTwo {
  double hi, lo;
};
constexpr PowerOfTwo kExpTable[256] = {
    {0x1p+0, 0x0p+0},
    {0x1.00b1af8p+0, 0x1.2d5e5f6b094d6p-27},
    {0x1.0163da8p+0, 0x1.fb33356d84a67p-28},
    {0x1.0216818p+0, -0x1.e27ebf92bf311p-27},
    {0x1.02c9a4p+0, -0x1.887f9f1190835p-28},
    {0x1.037d43p+0, -0x1.ee4433f54bf71p-28},
    {0x1.04315e8p+0, 0x1.b9fe12f5ce3e7p-30},
    {0x1.04e5f7p+0, 0x1.7b2a5894c3794p-27},
    {0x1.059b0dp+0, 0x1.8ac2ba1d73e2ap-27},
    {0x1.0650a1p+0, -0x1.c3e077572ded6p-28},
    {0x1.0706b28p+0, 0x1.ddf6ddc6dc404p-28},
    {0x1.07bd428p+0, 0x1.b9541b1323345p-27},
    {0x1.0874518p+0, 0x1.d66f20230d7c9p-30},
    {0x1.092bdf8p+0, -0x1.99f8205a018ep-28},
    {0x1.09e3ec8p+0, 0x1.6379c1a290f03p-27},
    {0x1.0a9c798p+0, 0x1.8f9c8c95d16c8p-27},
    {0x1.0b5587p+0, -0x1.833b784eb3a37p-27},
    {0x1.0c0f148p+0, -0x1.0dc9bd560cedfp-27},
    {0x1.0cc9228p+0, 0x1.b923fba03db83p-27},
    {0x1.0d83b2p+0, 0x1.9caef5c87d643p-27},
    {0x1.0e3ec3p+0, 0x1.69e8d10103a17p-27},
    {0x1.0efa56p+0, -0x1.02b1da93b7379p-31},
    {0x1.0fb66bp+0, -0x1.2ce50dcdf6e22p-36},
    {0x1.1073028p+0, 0x1.ae467c751bac6p-29},
    {0x1.11301dp+0, 0x1.25b50a4ebbf1bp-32},
    {0x1.11edba8p+0, 0x1.af155ac6b7561p-27},
    {0x1.12abdcp+0, 0x1.b0c72fee4aeb5p-30},
    {0x1.136a818p+0, -0x1.86fdaa85c423fp-27},
    {0x1.1429abp+0, -0x1.56d2204cbefe7p-28},
    {0x1.14e959p+0, 0x1.a79896e46e17cp-27},
    {0x1.15a98c8p+0, 0x1.4b1ca24901aaep-29},
    {0x1.166a458p+0, -0x1.c71e1efce1b89p-27},
    {0x1.172b84p+0, -0x1.c15742919041cp-27},
    {0x1.17ed488p+0, -0x1.6a443fef61c02p-28},
    {0x1.18af938p+0, 0x1.191bd3777ee17p-29},
    {0x1.1972658p+0, 0x1.bae97a955bb0cp-31},
    {0x1.1a35be8p+0, 0x1.b7e5ba9e5b4c8p-27},
    {0x1.1af99f8p+0, 0x1.38a1c5efe1693p-32},
    {0x1.1bbe088p+0, -0x1.fdd19632a70c7p-27},
    {0x1.1c82f98p+0, -0x1.6bf1ca5fed11p-27},
    {0x1.1d4873p+0, 0x1.68b9aa7805b8p-28},
    {0x1.1e0e76p+0, -0x1.4bbfd95bf7602p-28},
    {0x1.1ed502p+0, 0x1.7e6c8e5c40dp-27},
    {0x1.1f9c188p+0, -0x1.e398d9b7ea494p-27},
    {0x1.2063b88p+0, 0x1.8a3358ee3bac1p-30},
    {0x1.212be38p+0, -0x1.43abf3594da5ap-27},
    {0x1.21f499p+0, 0x1.7ddc962552fd3p-28},
    {0x1.22bddap+0, 0x1.3c89689d34fb5p-27},
    {0x1.2387a7p+0, -0x1.8a9dc7993e052p-28},
    {0x1.2451ff8p+0, 0x1.c10a051acfcc9p-27},
    {0x1.251ce5p+0, -0x1.35670329f5521p-30},
    {0x1.25e857p+0, 0x1.1ece754f86893p-28},
    {0x1.26b4568p+0, -0x1.0ec1916d42cc6p-27},
    {0x1.2780e38p+0, -0x1.f1106b43f307fp-27},
    {0x1.284dfep+0, 0x1.f5638096cf15dp-28},
    {0x1.291ba78p+0, -0x1.37224812cc723p-27},
    {0x1.29e9df8p+0, -0x1.70108f69ed175p-27},
    {0x1.2ab8a68p+0, -0x1.2ef0ed655d0c6p-28},
    {0x1.2b87fdp+0, 0x1.b5b31ffbbd48dp-29},
    {0x1.2c57e38p+0, 0x1.771b2eabfae96p-28},
    {0x1.2d285a8p+0, -0x1.1bfcf4bff6e2bp-28},
    {0x1.2df962p+0, -0x1.37d4ed1749802p-29},
    {0x1.2ecafa8p+0, 0x1.3e2f5611ca0f4p-28},
    {0x1.2f9d248p+0, 0x1.5ec4357ab0eabp-27},
    {0x1.306fe08p+0, 0x1.18db8a96f46adp-27},
    {0x1.31432fp+0, -0x1.08a68166a65c1p-27},
    {0x1.32171p+0, -0x1.d993e76563187p-27},
    {0x1.32eb838p+0, 0x1.d47518c7742f8p-27},
    {0x1.33c08bp+0, 0x1.320b7fa64e431p-27},
    {0x1.3496268p+0, -0x1.1c05d326b4eb2p-28},
    {0x1.356c56p+0, -0x1.b5803cdae772ep-30},
    {0x1.36431ap+0, 0x1.6f441d63cebb6p-27},
    {0x1.371a738p+0, -0x1.8aac6ab1d756p-29},
    {0x1.37f262p+0, 0x1.8f3aa4cc146acp-27},
    {0x1.38cae7p+0, -0x1.7d13cd3d2b1a8p-27},
    {0x1.39a4018p+0, 0x1.b8a0774cacb4p-27},
    {0x1.3a7db38p+0, -0x1.8d30048af21b7p-27},
    {0x1.3b57fcp+0, -0x1.3930baace6476p-32},
    {0x1.3c32dcp+0, 0x1.89d47242000f9p-27},
    {0x1.3d0e548p+0, -0x1.890f46700b97cp-27},
    {0x1.3dea65p+0, -0x1.f6e5eee525f6fp-27},
    {0x1.3ec70ep+0, -0x1.c75d166bd98dfp-29},
    {0x1.3fa4508p+0, -0x1.a9bff22fa047fp-27},
    {0x1.40822cp+0, 0x1.b3d0121bddf8bp-27},
    {0x1.4160a2p+0, 0x1.f72e29f84325cp-28},
    {0x1.423fb28p+0, -0x1.ed72ecc2316ep-29},
    {0x1.431f5d8p+0, 0x1.50a896dc70444p-28},
    {0x1.43ffa4p+0, -0x1.ed18af3bfa0b4p-30},
    {0x1.44e086p+0, 0x1.8624b40c4dbdp-30},
    {0x1.45c204p+0, 0x1.53e918f9e6f9ap-27},
    {0x1.46a41fp+0, -0x1.717fd446d7686p-27},
    {0x1.4786d68p+0, -0x1.74cdc97083c3bp-28},
    {0x1.486a2b8p+0, -0x1.1f6197f61f2e2p-27},
    {0x1.494e1ep+0, 0x1.92aed1d89aed4p-28},
    {0x1.4a32afp+0, 0x1.afa7bcce5b17ap-29},
    {0x1.4b17de8p+0, 0x1.36dbeb6eda478p-27},
    {0x1.4bfdad8p+0, -0x1.64eaec715e343p-27},
    {0x1.4ce41b8p+0, 0x1.7c1144178a5a4p-32},
    {0x1.4dcb298p+0, 0x1.fddd0d63b36efp-28},
    {0x1.4eb2d8p+0, 0x1.d8abfeab6a0b4p-28},
    {0x1.4f9b278p+0, -0x1.62d35952cc275p-28},
    {0x1.508418p+0, -0x1.759c23cbb6c97p-29},
    {0x1.516daap+0, 0x1.67b320e0897a9p-27},
    {0x1.5257de8p+0, 0x1.fa77771b3395ep-31},
    {0x1.5342b58p+0, -0x1.62b07e20f57c4p-28},
    {0x1.542e2f8p+0, -0x1.84a96c686d92ep-27},
    {0x1.551a4c8p+0, 0x1.2ec9076297631p-27},
    {0x1.56070ep+0, -0x1.0b779721f6dc3p-27},
    {0x1.56f4738p+0, -0x1.4ad82599135p-28},
    {0x1.57e27d8p+0, 0x1.f162675e8ce6fp-27},
    {0x1.58d12d8p+0, -0x1.b41c016d6a1eap-27},
    {0x1.59c0828p+0, -0x1.f068bf1677234p-37},
    {0x1.5ab07ep+0, -0x1.5bd5eb539b67fp-27},
    {0x1.5ba11f8p+0, 0x1.d43d014910bd6p-27},
    {0x1.5c92688p+0, 0x1.2ca35b80e258ep-27},
    {0x1.5d8459p+0, 0x1.331725194ac2cp-29},
    {0x1.5e76f18p+0, -0x1.296f5bc8b20dap-27},
    {0x1.5f6a32p+0, 0x1.b9d6e19854887p-29},
    {0x1.605e1b8p+0, 0x1.76dc08b076f59p-28},
    {0x1.6152ae8p+0, -0x1.32090b86d306dp-28},
    {0x1.6247ebp+0, 0x1.d2ac258f87d03p-31},
    {0x1.633dd2p+0, -0x1.736b014f71de8p-27},
    {0x1.6434638p+0, -0x1.999e701c483c7p-27},
    {0x1.652bap+0, -0x1.4370496b8f572p-28},
    {0x1.662388p+0, 0x1.2a91124893ecfp-27},
    {0x1.671c1c8p+0, -0x1.ef98147a1cc96p-29},
    {0x1.68155d8p+0, -0x1.d9ab467bf1d47p-27},
    {0x1.690f4bp+0, 0x1.9e953830097b3p-28},
    {0x1.6a09e68p+0, -0x1.80c4336f74d05p-28},
    {0x1.6b052f8p+0, 0x1.3a8b9f0d1c7a9p-27},
    {0x1.6c01278p+0, -0x1.7a12a08944ab3p-27},
    {0x1.6cfdcep+0, -0x1.15c4dd470aac9p-27},
    {0x1.6dfb24p+0, -0x1.cd72e886ef8eap-27},
    {0x1.6ef9298p+0, 0x1.64eb92f468b62p-30},
    {0x1.6ff7df8p+0, 0x1.519483cf87e1bp-28},
    {0x1.70f7468p+0, -0x1.0bd178f98a6edp-28},
    {0x1.71f75e8p+0, 0x1.d8bee7ba46e1ep-29},
    {0x1.72f8288p+0, -0x1.152f76482a80bp-28},
    {0x1.73f9a48p+0, 0x1.4b02e77ab934ap-29},
    {0x1.74fbd38p+0, -0x1.141a015f70054p-27},
    {0x1.75feb58p+0, -0x1.bd98374091656p-28},
    {0x1.77024bp+0, 0x1.ab6e096de1dc6p-28},
    {0x1.780695p+0, -0x1.0d1604f328fecp-31},
    {0x1.790b938p+0, 0x1.5839ec9a4d431p-29},
    {0x1.7a1147p+0, 0x1.f580c36bea881p-27},
    {0x1.7b17b08p+0, 0x1.76cfda905129fp-28},
    {0x1.7c1edp+0, 0x1.30c1327c49334p-28},
    {0x1.7d26a6p+0, 0x1.7fc378237bb7fp-27},
    {0x1.7e2f338p+0, -0x1.30b19defa2fd4p-28},
    {0x1.7f38788p+0, -0x1.b71db7907f11dp-27},
    {0x1.8042758p+0, -0x1.e0f2f724f90ccp-27},
    {0x1.814d2bp+0, -0x1.177c93573791ep-27},
    {0x1.8258998p+0, 0x1.4cce128acf88bp-28},
    {0x1.8364c2p+0, -0x1.46be089991974p-28},
    {0x1.8471a48p+0, -0x1.dc385331ad094p-28},
    {0x1.857f418p+0, -0x1.82937c1ba749p-30},
    {0x1.868d998p+0, 0x1.a2497640720edp-27},
    {0x1.879cad8p+0, 0x1.31a4362ba5afap-28},
    {0x1.88ac7d8p+0, 0x1.8a669966530bdp-28},
    {0x1.89bd0a8p+0, -0x1.c3d3f84558d57p-27},
    {0x1.8ace54p+0, 0x1.15506dadd3e2bp-27},
    {0x1.8be05b8p+0, 0x1.6b0bbc3d96bep-27},
    {0x1.8cf3218p+0, -0x1.4abb7410d55e3p-28},
    {0x1.8e06a6p+0, -0x1.f799275c4529cp-28},
    {0x1.8f1ae98p+0, 0x1.1577362b98274p-28},
    {0x1.902fedp+0, 0x1.416452b25950cp-31},
    {0x1.9145b08p+0, 0x1.c8ffe2c4530dap-27},
    {0x1.925c35p+0, 0x1.d517f0ecbaa06p-27},
    {0x1.93737bp+0, 0x1.9b8bc9e8a0388p-29},
    {0x1.948b828p+0, 0x1.afcc72623c298p-27},
    {0x1.95a44c8p+0, 0x1.e4290774da41bp-27},
    {0x1.96bdd98p+0, 0x1.3b38597c8b4d3p-27},
    {0x1.97d82ap+0, -0x1.0d8d83a30b6f8p-31},
    {0x1.98f33e8p+0, -0x1.c2eeaef1aa12bp-27},
    {0x1.9a0f17p+0, 0x1.940f737462137p-29},
    {0x1.9b2bb5p+0, -0x1.5600f9bbb09cap-27},
    {0x1.9c4918p+0, 0x1.51f8480e3e236p-27},
    {0x1.9d67418p+0, 0x1.4bb8d4aba5057p-28},
    {0x1.9e86318p+0, 0x1.e323231824ca8p-28},
    {0x1.9fa5e9p+0, -0x1.7c06b114a9cebp-27},
    {0x1.a0c6678p+0, 0x1.aef2b2594d6d4p-27},
    {0x1.a1e7afp+0, -0x1.38a3a24733ce2p-27},
    {0x1.a309bfp+0, -0x1.dae966539f47p-27},
    {0x1.a42c98p+0, 0x1.182b5e5587fa7p-30},
    {0x1.a5503bp+0, 0x1.1f12ae45a1225p-27},
    {0x1.a674a88p+0, 0x1.7a30290543d59p-27},
    {0x1.a799e1p+0, 0x1.9859ac3796fd9p-27},
    {0x1.a8bfe5p+0, 0x1.e0972c560f30ap-27},
    {0x1.a9e6b58p+0, -0x1.4301205e0a6dep-27},
    {0x1.ab0e52p+0, 0x1.356eba313863bp-28},
    {0x1.ac36bcp+0, -0x1.606431f9234cbp-31},
    {0x1.ad5ff38p+0, 0x1.1e13ba2fde777p-27},
    {0x1.ae89f98p+0, 0x1.5ad3ad5e8734dp-28},
    {0x1.afb4ce8p+0, -0x1.dd0d0152cbf04p-28},
    {0x1.b0e0728p+0, 0x1.8db66590842adp-28},
    {0x1.b20ce7p+0, -0x1.b2bb56d645fb7p-27},
    {0x1.b33a2b8p+0, 0x1.3c57ebdaff43ap-30},
    {0x1.b468418p+0, -0x1.245b278fbb1efp-27},
    {0x1.b59729p+0, -0x1.0d536338e3bf7p-27},
    {0x1.b6c6e28p+0, 0x1.f1c52a4aa3cd5p-28},
    {0x1.b7f76fp+0, 0x1.7daf237553d84p-27},
    {0x1.b928cfp+0, 0x1.13a4f1c91bd35p-27},
    {0x1.ba5b03p+0, 0x1.420c930819679p-29},
    {0x1.bb8e0b8p+0, -0x1.96438407d4b47p-30},
    {0x1.bcc1e9p+0, 0x1.2f074891ee83dp-30},
    {0x1.bdf69cp+0, 0x1.f9d1037f1eceep-27},
    {0x1.bf2c258p+0, 0x1.eb8f0442046b8p-27},
    {0x1.c06286p+0, 0x1.41b33cc4eb4acp-28},
    {0x1.c199bep+0, -0x1.3d56b1eeef9a7p-27},
    {0x1.c2d1cd8p+0, 0x1.fa652ba46ba7ap-28},
    {0x1.c40ab6p+0, -0x1.7c2c975903ef8p-39},
    {0x1.c544778p+0, 0x1.f5f6448978392p-29},
    {0x1.c67f13p+0, -0x1.a82eb4b5dec8p-28},
    {0x1.c7ba888p+0, 0x1.88c932c312888p-28},
    {0x1.c8f6d98p+0, -0x1.fc8c257729a1ep-27},
    {0x1.ca34058p+0, -0x1.5c764a5fcafb4p-29},
    {0x1.cb720ep+0, -0x1.8837cb757e1a1p-27},
    {0x1.ccb0f3p+0, -0x1.92e98b1d220f8p-28},
    {0x1.cdf0b58p+0, -0x1.511e031dd83b5p-27},
    {0x1.cf31558p+0, 0x1.add5b9cbee2c9p-27},
    {0x1.d072d48p+0, 0x1.03c4bdc687918p-27},
    {0x1.d1b5328p+0, 0x1.8464b42aac6c4p-27},
    {0x1.d2f8708p+0, 0x1.b13e315bc2473p-33},
    {0x1.d43c8e8p+0, 0x1.6550eb27b6a78p-27},
    {0x1.d5818ep+0, -0x1.822dbc6d12fd3p-27},
    {0x1.d6c76e8p+0, 0x1.8b9b4c1fe87a5p-30},
    {0x1.d80e318p+0, -0x1.367c68447b063p-28},
    {0x1.d955d7p+0, 0x1.ff60756814b6fp-28},
    {0x1.da9e6p+0, 0x1.ed9942b84600dp-27},
    {0x1.dbe7cd8p+0, -0x1.c57ceb6ddbc65p-28},
    {0x1.dd321fp+0, 0x1.80da3025b4aefp-27},
    {0x1.de7d568p+0, -0x1.f1fcd4394aa52p-27},
    {0x1.dfc973p+0, 0x1.bdcdaf5cb4656p-27},
    {0x1.e116768p+0, 0x1.8cbe8b76a56b2p-27},
    {0x1.e264618p+0, -0x1.852f6baf6c4fp-27},
    {0x1.e3b3338p+0, 0x1.8b7708cc16b7ap-27},
    {0x1.e502ee8p+0, -0x1.d30027630bb4p-30},
    {0x1.e653928p+0, -0x1.cc4945163ff87p-27},
    {0x1.e7a51f8p+0, 0x1.e3a641a5aa459p-27},
    {0x1.e8f7978p+0, -0x1.9246022112901p-31},
    {0x1.ea4afap+0, 0x1.52486cc2c7b9dp-27},
    {0x1.eb9f488p+0, -0x1.833591adf3437p-28},
    {0x1.ecf483p+0, -0x1.38cc07b927e77p-27},
    {0x1.ee4aaap+0, 0x1.0c4288238d1b5p-27},
    {0x1.efa1bfp+0, -0x1.9ea5d888e02dep-28},
    {0x1.f0f9c2p+0, -0x1.a4df6b264400dp-27},
    {0x1.f252b38p+0, -0x1.288ad162f2d2p-29},
    {0x1.f3ac948p+0, 0x1.bae4e7cd4b4b8p-29},
    {0x1.f507658p+0, 0x1.b722a033a7c26p-27},
    {0x1.f663278p+0, 0x1.8844f87e8decdp-28},
    {0x1.f7bfdbp+0, -0x1.31a0f63b7625ap-27},
    {0x1.f91d8p+0, 0x1.121e447bb455dp-27},
    {0x1.fa7c18p+0, 0x1.9e90d82e90a7ep-28},
    {0x1.fbdba38p+0, -0x1.6d2aec1967731p-28},
    {0x1.fd3c228p+0, 0x1.c7b8f884badd2p-27},
    {0x1.fe9d968p+0, 0x1.9511ec8a5301cp-27},
};

// Cody-Waite pieces of ln2/256: kExpLn2Hi has 29 significant bits, so kd·kExpLn2Hi is exact for
// |k| < 2^20 (|x| < 2800); the two pieces sum to ln2/256 within 2^-95 absolute.
constexpr double kExpLn2Hi = 0x1.62e42ffp-9;
constexpr double kExpLn2Lo = -0x1.718432a1b0e26p-43;
constexpr double k256OverLn2 = 0x1.71547652b82fep+8;
// Adding and subtracting 1.5·2^52 rounds a double below 2^51 in magnitude to the nearest integer; the
// low bits of the sum's encoding hold that integer in two's complement.
constexpr double kShifter = 0x1.8p52;
// Beyond this, exp(x) rounds to +inf; below -748, exp(x) < 2^-1079 rounds to +0.
constexpr double kExpOverflow = 0x1.62e42fefa39efp+9;
constexpr double kExpZero = -748.0;
// |x| below 704: the result and 2^e·T_j, both parts, are normal doubles (e >= -1016).
constexpr std::uint64_t kExpFastLimit = 0x4086000000000000u;  // 704.0
constexpr std::uint64_t kExpTinyLimit = 0x3e50000000000000u;  // 2^-26

// exp(x) = 2^e·T_j·exp(r) as 2^e·(hi + lo) with |lo| at most about half an ulp of hi, for |x| below 748.
struct ExpParts {
  double hi, lo;
  int e;
};

inline ExpParts exp_parts(double x) {
  // k = round(x·256/ln2) = 256·e + j, r = x - k·ln2/256 with |r| <= ln2/512 (plus a rounding of k
  // near a tie).
  const double t = x * k256OverLn2 + kShifter;
  const std::int64_t k = static_cast<std::int64_t>(bits_of(t) - bits_of(kShifter));
  const double kd = t - kShifter;
  // x - kd·hi is exact (Sterbenz); the subtraction of kd·lo rounds, and its error dr is kept, so r + dr
  // is x - k·ln2/256 within 2^-75 absolute.
  const double r_head = x - kd * kExpLn2Hi;
  const double k_lo = kd * kExpLn2Lo;
  const double r = r_head - k_lo;
  const double dr = (r_head - r) - k_lo;
  // exp(r) - 1 - r by Taylor to degree 6 in Estrin's form: |r| < 2^-9.4, so the truncation is below
  // 2^-78 and the rounding errors below 2^-71, relative to the result.
  const double r2 = r * r;
  const double tail =
      r2 * ((0.5 + r * 0x1.5555555555555p-3) +
            r2 * ((0x1.5555555555555p-5 + r * 0x1.1111111111111p-7) + r2 * 0x1.6c16c16c16c17p-10));
  const PowerOfTwo& p = kExpTable[static_cast<unsigned>(k & 255)];
  // T·exp(r) = T.hi + T.hi·r_hi + (T.hi·(r_lo + dr + tail) + T.lo·(1 + r + tail)), with r_hi the
  // upper 26 significant bits of r: T.hi·r_hi is exact and so is its sum with T.hi, as s + s_err.
  // The rest is below 2^-19 of the result, and it and its sum with s_err carry rounding errors below
  // 2^-71 of the result (2^-19 ulp): only the last addition rounds a full-size quantity.
  const double r_hi = double_from_bits(bits_of(r) & 0xfffffffff8000000u);
  const double r_lo = r - r_hi;
  double s, s_err;
  fast_two_sum(p.hi, p.hi * r_hi, s, s_err);
  const double rest = (p.lo + p.hi * ((r_lo + dr) + tail)) + p.lo * (r + tail);
  const double lo = s_err + rest;
  return {s, lo, static_cast<int>((k - (k & 255)) / 256)};
}

// exp for |x| < 2^-26: 1 + x + t with t = x^2/2 + x^3/6 (truncation below 2^-108). Near 1 the exact
// result of simple arguments, x close to a multiple of 2^-53 or 2^-54, can lie within 2^-53 ulp of a
// midpoint between doubles, so the sum is rounded once, exactly: 1 + x = s + e and e + t = u + v
// without error, then u is rounded to odd (moved one unit toward v when v != 0 and u is even), which
// keeps s + u from landing on a midpoint that s + u + v is not on.
double exp_tiny(double x) {
  double s, e, u, v;
  fast_two_sum(1.0, x, s, e);
  const double t = (x * x) * (0.5 + x * 0x1.5555555555555p-3);
  two_sum(e, t, u, v);
  if (v != 0.0 && u != 0.0 && (bits_of(u) & 1) == 0) {
    // The encoding of u plus one moves it away from zero, minus one toward zero.
    const bool away = (v > 0.0) == (u > 0.0);
    u = double_from_bits(away ? bits_of(u) + 1 : bits_of(u) - 1);
  }
  return s + u;
}

// exp for |x| >= 704, ±inf and NaN: overflow, underflow through the subnormals, and +0 far below.
double exp_far(double x) {
  if (x != x) return x + x;
  if (x > kExpOverflow) return std::numeric_limits<double>::infinity();
  if (x < kExpZero) return 0.0;
  const ExpParts p = exp_parts(x);
  double y, y_lo;
  fast_two_sum(p.hi, p.lo, y, y_lo);
  // y·2^e with e up to 1024: scaled in two exact steps (the result stays finite below kExpOverflow).
  if (p.e > -1022 || (p.e == -1022 && y >= 1.0)) return scale_by_power_of_two(y, p.e);
  // A result below 2^-1022 lies on the subnormal grid, spaced 2^-1074. Scaled by 2^1022 (exactly, the
  // pair stays normal), the grid is that of [1, 2): adding 1 rounds the double-double once to it, and
  // taking 1 away again is exact.
  const double scale = power_of_two(p.e + 1022);
  const double s_hi = y * scale;
  const double s_lo = y_lo * scale;
  double u, u_err;
  fast_two_sum(1.0, s_hi, u, u_err);
  const double w = u + (u_err + s_lo);
  return (w - 1.0) * power_of_two(-1022);
}

}  // namespace

double exp(double x) {
  // One comparison sends |x| < 2^-26 (wrapping around) and |x| >= 704, ±inf and NaN off the main path.
  const std::uint64_t magnitude = bits_of(x) & 0x7fffffffffffffffu;
  if (magnitude - kExpTinyLimit >= kExpFastLimit - kExpTinyLimit) {
    return magnitude < kExpTinyLimit ? exp_tiny(x) : exp_far(x);
  }
  // The main path is exp_parts with the extra precision left out where it costs the most time: r is
  // rounded once (its error, below 2^-62.4, is dropped), the polynomial stops at degree 5 (truncation
  // below 2^-66), and T·expm1(r) is formed with T rounded to double before the one full-size addition,
  // T.hi + small. small is below 2^-8.3 of the result, so its rounding errors stay below 2^-60 of it:
  // the result errs by at most about 0.51 ulp. T.hi and T.lo are scaled by 2^e while the polynomial is
  // evaluated, off its path: exact for T.hi (e in [-1016, 1016]); T.lo may land among the subnormals,
  // which costs at most 2^-1075 absolute, below 2^-59 of the result.
  const double t = x * k256OverLn2 + kShifter;
  const std::int64_t k = static_cast<std::int64_t>(bits_of(t) - bits_of(kShifter));
  const double kd = t - kShifter;
  const double r = (x - kd * kExpLn2Hi) - kd * kExpLn2Lo;
  const double r2 = r * r;
  const double expm1_r =
      r + r2 * ((0.5 + r * 0x1.5555555555555p-3) + r2 * (0x1.5555555555555p-5 + r * 0x1.1111111111111p-7));
  const PowerOfTwo& p = kExpTable[static_cast<unsigned>(k & 255)];
  const double scale = power_of_two(static_cast<int>((k - (k & 255)) / 256));
  const double hi = p.hi * scale;
  const double lo = p.lo * scale;
  return hi + (lo + (hi + lo) * expm1_r);
}

namespace log_detail {

double log_special(double x) {
  const std::uint64_t ix = bits_of(x);
  if ((ix << 1) == 0) return -std::numeric_limits<double>::infinity();
  if ((ix & 0x7fffffffffffffffu) > 0x7ff0000000000000u) return x + x;
  if (ix == 0x7ff0000000000000u) return x;
  if ((ix >> 63) != 0) return std::numeric_limits<double>::quiet_NaN();
  // Positive subnormal: 2^54·x is normal and exact.
  return log_of_normal(bits_of(x * 0x1p54), -54);
}

}  // namespace log_detail

}  // namespace elementary
}  // namespace numerics
