// Double-precision exp and log, each from a 256-entry table of MPFR-computed hex-float constants and a
// short Taylor polynomial, with the final addition carried in extra precision so that results are
// nearly always correctly rounded (error below 0.51 ulp). Only + - * / on IEEE doubles, no FMA.
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

// log x = e·ln2 + log(1/c_i) + log1p(r) with m = x/2^e in [0.708, 1.416) split into 256 subintervals
// of equal width in the encoding, r = m·c_i - 1. Entry i holds c_i, the reciprocal of the subinterval's
// midpoint rounded to 26 significant bits (so that m·c_i is exact in two halves), and -log(c_i) as
// hi + lo: hi rounded to a multiple of 2^-43 (so that e·ln2_hi + hi is exact), lo the double nearest
// the remainder (MPFR at 400 bits). The subinterval [1 - 2^-10, 1 + 2^-9), entry 149, has c = 1 and
// log c = 0 exactly, so that log x near 1 suffers no cancellation. |r| < 2^-8.99.
struct Reciprocal {
  double c, minus_log_hi, minus_log_lo;
};
constexpr Reciprocal kLogTable[256] = {
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
constexpr std::uint64_t kLogOffset = 0x3fe6a80000000000u;
// ln2 in two pieces, the first of 42 bits: ed·kLn2Hi is exact for every exponent.
constexpr double kLn2Hi = 0x1.62e42fefa38p-1;
constexpr double kLn2Lo = 0x1.ef35793c7673p-45;

// log x for the encoding ix of a positive normal double x·2^-bias.
inline double log_of_normal(std::uint64_t ix, int bias) {
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
  fast_two_sum(m_hi * t.c - 1.0, m_lo * t.c, r_hi, r_lo);
  const double ed = static_cast<double>(e + bias);
  // a = e·ln2_hi + log(1/c)_hi is exact (both on the grid of 2^-43, |a| < 2^10), and a + r_hi = b + b_err
  // exactly: a dominates r_hi unless it is 0 (outside entry 149, |log c| exceeds the subinterval's
  // largest |r|).
  const double a = ed * kLn2Hi + t.minus_log_hi;
  double b, b_err;
  fast_two_sum(a, r_hi, b, b_err);
  // log1p(r) - r = r^2·(-1/2 + r·(1/3 - r/4 + r^2/5 - r^3/6 + r^4/7)), Taylor's polynomial: |r| < 2^-8.99,
  // so the truncation is below 2^-65.9·|r|. Rounding r^2 and leaving out r_hi·r_lo err by less than
  // 2^-70 absolute, which is below 2^-60 of the result: that is at least |r|/2, or 2^-10 outside
  // entry 149 (and r_lo is 0 in entry 149, where c = 1).
  const double r2 = r_hi * r_hi;
  const double poly = (0x1.5555555555555p-2 - r_hi * 0.25) +
                      r2 * ((0x1.999999999999ap-3 - r_hi * 0x1.5555555555555p-3) + r2 * 0x1.2492492492492p-3);
  const double lo = (((ed * kLn2Lo + t.minus_log_lo) + b_err) + r_lo) + r2 * (r_hi * poly - 0.5);
  return b + lo;
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

double log(double x) {
  const std::uint64_t ix = bits_of(x);
  if (ix - 0x0010000000000000u < 0x7fe0000000000000u) return log_of_normal(ix, 0);
  // ±0, subnormal, negative, +inf or NaN.
  if ((ix << 1) == 0) return -std::numeric_limits<double>::infinity();
  if ((ix & 0x7fffffffffffffffu) > 0x7ff0000000000000u) return x + x;
  if (ix == 0x7ff0000000000000u) return x;
  if ((ix >> 63) != 0) return std::numeric_limits<double>::quiet_NaN();
  // Positive subnormal: 2^54·x is normal and exact.
  return log_of_normal(bits_of(x * 0x1p54), -54);
}

}  // namespace elementary
}  // namespace numerics
