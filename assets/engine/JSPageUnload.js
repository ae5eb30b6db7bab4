<!-- Page unload: nothing to run. Tags this template may carry, each in double braces: Token, UUID, FormUUID. -->
