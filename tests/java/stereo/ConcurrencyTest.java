package stereo;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static stereo.TestFrames.HSV;
import static stereo.TestFrames.RGB;

import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.concurrent.CountDownLatch;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.concurrent.Future;
import org.junit.jupiter.api.Test;

/** Many Java threads calling at once, each with its own mix of arguments. */
class ConcurrencyTest {
    private static final int THREADS = 8;
    private static final int CALLS_PER_THREAD = 100;
    private static final int[] MODES = {RGB, HSV, 2, -1, Integer.MIN_VALUE, Integer.MAX_VALUE};
    private static final int[][] RESOLUTIONS = {null, {}, {0, 0}, {480, 640}};

    @Test
    void eightThreadsOfHundredCallsEachGetWhatALoneCallGets() throws Exception {
        // Snapshot calls need the folder; each call replaces the same file.
        Files.createDirectories(Path.of("logging"));
        brimlet shared = new brimlet();
        int[] rgb = shared.cppGrabImage(null, false, RGB);
        int[] hsv = shared.cppGrabImage(null, false, HSV);

        CountDownLatch start = new CountDownLatch(1);
        ExecutorService pool = Executors.newFixedThreadPool(THREADS);
        try {
            List<Future<List<String>>> threads = new ArrayList<>();
            for (int t = 0; t < THREADS; t++) {
                int thread = t;
                threads.add(pool.submit(() -> {
                    // Half the threads share one object, half make their own: the
                    // native method must not care which.
                    brimlet camera = thread % 2 == 0 ? shared : new brimlet();
                    List<String> wrong = new ArrayList<>();
                    start.await();
                    for (int call = 0; call < CALLS_PER_THREAD; call++) {
                        int mode = MODES[(thread + call) % MODES.length];
                        int[] resolution = RESOLUTIONS[(thread + call) % RESOLUTIONS.length];
                        boolean snapshot = (thread + call) % 3 == 0;
                        int[] planes = camera.cppGrabImage(resolution, snapshot, mode);
                        if (!Arrays.equals(mode == RGB ? rgb : hsv, planes)) {
                            wrong.add("thread " + thread + " call " + call + " mode " + mode);
                        }
                    }
                    return wrong;
                }));
            }
            start.countDown();
            List<String> wrong = new ArrayList<>();
            for (Future<List<String>> thread : threads) {
                wrong.addAll(thread.get());
            }
            assertEquals(List.of(), wrong, "calls whose array differs from a lone call's for its mode");
        } finally {
            pool.shutdownNow();
        }
    }
}
