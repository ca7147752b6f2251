#pragma once
struct Host {};
