// Sprites, particles and the particle list: placement, collision, single-precision lifetimes, removal.
#include "toolkit/Particle.h"
#include "toolkit/ParticleList.h"
#include "toolkit/Sprite.h"
#include "toolkit/ToolkitFixture.h"

namespace {
using SpriteTest = ToolkitTest;

TGameImagePtr Blank(int w, int h)
{
    return TGameImage::CreateFromImage(CreateBlankImage(w, h, 1, -1), "BLANK", 1);
}

TEST_F(SpriteTest, TextIsCentredOnItsMovingAnchor)
{
    auto sprite = TSprite::Create(nullptr, 512, 384, "40", font);
    sprite->scaleX = 2.0f;
    sprite->SetScaleParams(2.0f, 0.5f);
    sprite->Draw();   // the draw re-centres the text on the anchor
    const float tw = Measure("40") * 2.0f;
    EXPECT_FLOAT_EQ(sprite->x, 512 - tw / 2);   // 472 for a 40-pixel text
    EXPECT_FLOAT_EQ(sprite->y, 384 - MeasureHeight() * 0.5f / 2);
    sprite->speedX = 5;
    sprite->Move();
    sprite->Draw();
    EXPECT_FLOAT_EQ(sprite->x, 517 - tw / 2);
    EXPECT_FLOAT_EQ(sprite->originalX, 517);

    // A faded, rotated, shadowed sprite leaves the drawing state neutral.
    sprite->alpha = 0.5f;
    sprite->rotation = 30;
    sprite->shadow = TShadow::Create(3, 3, 0.5f);
    sprite->color = TColor::Create(255, 0, 0, 1.0f);
    sprite->Draw();
    const TDrawState& state = GetDrawState();
    EXPECT_EQ(state.alpha, 1.0f);
    EXPECT_EQ(state.rotation, 0.0f);
    EXPECT_EQ(state.scaleX, 1.0f);
    EXPECT_EQ(state.r, 255);
    EXPECT_EQ(state.g, 255);
    EXPECT_EQ(state.font, nullptr);
}

TEST_F(SpriteTest, SizesBoundsAndCollisions)
{
    auto sprite = TSprite::Create(nullptr, 0, 0);
    sprite->SetHitBox(-3, -4, 1, 1);
    sprite->SetImage(Blank(33, 20));
    EXPECT_EQ(sprite->width, 33);
    EXPECT_EQ(sprite->w2, 16);
    EXPECT_EQ(sprite->h2, 10);
    EXPECT_EQ(sprite->hitBoxWidth, 33);
    EXPECT_EQ(sprite->hitBoxHeight, 20);
    EXPECT_EQ(sprite->hitBoxX, -3);   // offsets kept
    EXPECT_EQ(sprite->hitBoxY, -4);
    sprite->SetSize(65, 9);
    EXPECT_EQ(sprite->w2, 32);
    EXPECT_EQ(sprite->h2, 4);
    EXPECT_EQ(sprite->hitBoxWidth, 33);   // the hit box is not resized

    struct Case { float in, out; };
    for (Case c : {Case{10, 32}, Case{1000, 992}, Case{500, 500}}) {
        sprite->x = c.in;
        sprite->BoundsCheck();
        EXPECT_FLOAT_EQ(sprite->x, c.out);
    }
    sprite->y = 767;
    sprite->BoundsCheck();
    EXPECT_FLOAT_EQ(sprite->y, 764);
    EXPECT_FLOAT_EQ(sprite->originalX, 0);   // the anchor is not clamped

    auto a = TSprite::Create(nullptr, 0, 0);
    auto b = TSprite::Create(nullptr, 10, 0);
    a->SetHitBox(0, 0, 10, 10);
    b->SetHitBox(0, 0, 10, 10);
    EXPECT_EQ(a->CollideSprite(b), 0);   // touching edges
    b->x = 9.9f;                         // truncates to 9
    EXPECT_EQ(a->CollideSprite(b), 1);
    EXPECT_EQ(b->CollideSprite(a), 1);
    EXPECT_EQ(a->CollideSprite(nullptr), 0);
}

// The call of Logic on which a particle dies, or 0 if it is still alive after limit calls.
int DeathCall(const TParticlePtr& particle, int limit = 1000)
{
    for (int call = 1; call <= limit; ++call)
        if (particle->Logic() == 0) return call;
    return 0;
}

TEST_F(SpriteTest, ParticleLifetimesFollowSinglePrecision)
{
    struct Case { float alphaDelta, scaleDelta; int call; };
    for (Case c : {Case{-0.02f, 0, 51}, Case{-0.04f, 0, 25}, Case{-0.015f, 0, 67}, Case{0, -0.1f, 10}}) {
        auto particle = TParticle::CreateParticle(nullptr, 0, 0, "x");
        particle->SetParams(c.alphaDelta, 0, c.scaleDelta, 0, 0, 0);
        EXPECT_EQ(DeathCall(particle), c.call) << c.alphaDelta << " " << c.scaleDelta;
    }

    // Growing, brightening and spinning never kills.
    auto lasting = TParticle::CreateParticle(nullptr, 10, 20, "x");
    lasting->SetParams(0.01f, 7, 0.01f, 0.02f, 1.5f, -2);
    EXPECT_EQ(DeathCall(lasting, 500), 0);
    EXPECT_GT(lasting->alpha, 1.0f);   // no upper limit
    EXPECT_FLOAT_EQ(lasting->originalX, 10 + 500 * 1.5f);
    EXPECT_FLOAT_EQ(lasting->y, 20 - 1000);
    EXPECT_GE(lasting->rotation, 0.0f);
    EXPECT_LT(lasting->rotation, 360.0f);

    // Rotation wraps around in both directions.
    auto spin = TParticle::CreateParticle(nullptr, 0, 0);
    spin->rotation = 355;
    spin->SetParams(0, 10, 0, 0, 0, 0);
    spin->Logic();
    EXPECT_FLOAT_EQ(spin->rotation, 5);
    spin->SetParams(0, -10, 0, 0, 0, 0);
    spin->Logic();
    EXPECT_FLOAT_EQ(spin->rotation, 355);

    // A fading particle that dies stops changing in that frame.
    auto fading = TParticle::CreateParticle(nullptr, 0, 0);
    fading->alpha = 0.01f;
    fading->SetParams(-0.02f, 10, 0.5f, 0, 0, 0);
    EXPECT_EQ(fading->Logic(), 0);
    EXPECT_FLOAT_EQ(fading->rotation, 0);
    EXPECT_FLOAT_EQ(fading->scaleX, 1);
}

// Counts its Logic calls; dies on the frame given.
class CountingParticle : public TParticle {
public:
    int calls = 0;
    int dieOn = 0;
    int Logic() override { return ++calls == dieOn ? 0 : 1; }
};

TEST_F(SpriteTest, ListDropsDeadParticlesWithoutSkippingAnyOther)
{
    auto list = TParticleList::Create();
    auto added = list->AddNew(nullptr, 3, 4, "7", font);
    EXPECT_FLOAT_EQ(added->originalX, 3);
    EXPECT_EQ(added->text, "7");
    EXPECT_EQ(list->Last(), added);
    list->Clear();

    std::vector<std::shared_ptr<CountingParticle>> ps;
    for (int dieOn : {1, 1, 2, 1, 3}) {
        auto p = std::make_shared<CountingParticle>();
        p->dieOn = dieOn;
        ps.push_back(p);
        list->AddLast(p);
    }
    list->Logic();
    for (auto& p : ps) EXPECT_EQ(p->calls, 1);   // every particle was visited once
    EXPECT_EQ(list->Count(), 2);
    list->Logic();
    EXPECT_EQ(list->Count(), 1);
    EXPECT_EQ(list->Last(), ps[4]);
    EXPECT_EQ(ps[4]->calls, 2);

    // Every particle dying in the same frame leaves an empty list that draws nothing.
    auto burst = TParticleList::Create();
    for (int i = 0; i < 50; ++i) burst->AddNew(Blank(8, 8), i, i)->SetParams(-1.0f, 0, 0, 0, 0, 0);
    burst->Logic();
    EXPECT_TRUE(burst->IsEmpty());
    burst->Draw();
}
}
